#pragma once
// The view side of the grid component: a table model over a Grid and a
// QTableView that follows the grid's column widths, hidden rows, colours,
// merges and active cell. Row 0 of the grid is the view's header; rows of
// height 0 are left out of the model entirely, so a filtered 100,000-row
// grid costs the view only the rows it shows.

#include <QAbstractTableModel>
#include <QTableView>
#include <vector>

#include "platform/Grid.h"

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(Grid* grid, QObject* parent = nullptr);
    ~GridModel() override;

    Grid* grid() const { return grid_; }
    // Grid row shown at a view row, and back (-1 when not shown).
    int GridRow(int viewRow) const;
    int ViewRow(int gridRow) const;
    // Brings the shown-row list up to date now (it is otherwise refreshed
    // once per turn of the event loop after row heights change).
    void Sync();
    // The grid is still there: a view may be destroyed after its grid (a
    // window's member grid goes before the window's child widgets), and
    // then shows nothing rather than read freed memory.
    bool Alive() const { return !gridLife_.expired(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void layoutFromGrid();     // columns widths or merges may have changed
    void activeFromGrid(int row, int col);

private:
    void OnGridChange(Grid::Change change, int row, int col);
    void Reset();
    void InsertRows(int first, int last);
    void RemoveRows(int first, int last);
    void Rebuild();

    Grid* grid_;
    std::weak_ptr<int> gridLife_;
    int observer_ = 0;
    std::vector<int> shown_;   // grid rows shown, ascending
    bool dirty_ = false;
    bool syncQueued_ = false;
};

class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(Grid* grid, QWidget* parent = nullptr);
    Grid* grid() const { return model_->grid(); }
    // Makes the view current with the grid at once (tests, before painting).
    void Sync();
    // Grid::AutoFit's measure for windows: the application font's widths
    // (bold for header and bold cells), up to a limit that keeps one long
    // text from widening its column past the window. Installed by the
    // program at start.
    static Grid::TextWidth FontTextWidth();
    // The same fonts' ASCII advances and kerning, kept per font.
    static Grid::AsciiFonts FontAsciiAdvances();

signals:
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt.
    void MouseDown(int button, int shift, int x, int y);
    void DblClick();
    void ActiveCellChanged(int row, int col);
    // The keyboard asks for the pop-up menu (the Menu key, Shift+F10): to be
    // shown at `pos` in the viewport, the active cell's place. The menu acts
    // on the selection, which the active cell lies in, as after a right click
    // inside it.
    void MenuKey(const QPoint& pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ApplyColumns();
    void ApplySpans();
    void FromGridActive(int row, int col);
    void ToGridSelection();
    void RequestMenu();
    GridModel* model_;
    bool syncing_ = false;
};
