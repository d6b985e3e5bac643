#include "widgets/GridView.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <map>
#include <memory>

#include "platform/Colors.h"

GridModel::GridModel(Grid* grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), gridLife_(grid->Life()) {
    observer_ = grid_->AddObserver([this](Grid::Change c, int r, int col) { OnGridChange(c, r, col); });
    Rebuild();
}

GridModel::~GridModel() {
    if (!gridLife_.expired()) grid_->RemoveObserver(observer_);
}

void GridModel::Rebuild() {
    shown_.clear();
    shown_.reserve(size_t(std::max(0, grid_->Rows() - 1)));
    for (int r = 1; r < grid_->Rows(); ++r)
        if (grid_->RowHeight(r) > 0) shown_.push_back(r);
    dirty_ = false;
}

void GridModel::Sync() {
    if (!dirty_ || !Alive()) return;
    beginResetModel();
    Rebuild();
    endResetModel();
    emit layoutFromGrid();
}

void GridModel::Reset() {
    beginResetModel();
    Rebuild();
    endResetModel();
    emit layoutFromGrid();
}

void GridModel::InsertRows(int first, int last) {
    // The header row, or heights not yet taken in: the whole list anew.
    if (first <= 0 || dirty_) return Reset();
    const int count = last - first + 1;
    auto at = std::lower_bound(shown_.begin(), shown_.end(), first);
    for (auto it = at; it != shown_.end(); ++it) *it += count;
    std::vector<int> added;
    for (int r = first; r <= last; ++r)
        if (grid_->RowHeight(r) > 0) added.push_back(r);
    if (!added.empty()) {
        const int pos = int(at - shown_.begin());
        beginInsertRows({}, pos, pos + int(added.size()) - 1);
        shown_.insert(shown_.begin() + pos, added.begin(), added.end());
        endInsertRows();
    }
    emit layoutFromGrid();
}

void GridModel::RemoveRows(int first, int last) {
    if (first <= 0 || dirty_) return Reset();
    const int count = last - first + 1;
    const auto lo = std::lower_bound(shown_.begin(), shown_.end(), first);
    const auto hi = std::upper_bound(shown_.begin(), shown_.end(), last);
    const int from = int(lo - shown_.begin()), to = int(hi - shown_.begin());
    if (from < to) {
        beginRemoveRows({}, from, to - 1);
        shown_.erase(shown_.begin() + from, shown_.begin() + to);
        for (auto it = shown_.begin() + from; it != shown_.end(); ++it) *it -= count;
        endRemoveRows();
    } else {
        for (auto it = shown_.begin() + from; it != shown_.end(); ++it) *it -= count;
    }
    emit layoutFromGrid();
}

void GridModel::OnGridChange(Grid::Change change, int row, int col) {
    switch (change) {
    case Grid::Change::Reset:
        Reset();
        break;
    case Grid::Change::RowsInserted:
        InsertRows(row, col);
        break;
    case Grid::Change::RowsRemoved:
        RemoveRows(row, col);
        break;
    case Grid::Change::Layout:
        if (row < 0) {
            emit layoutFromGrid();
            break;
        }
        // Row heights change in long loops: refresh the shown rows once.
        dirty_ = true;
        if (!syncQueued_) {
            syncQueued_ = true;
            QTimer::singleShot(0, this, [this] {
                syncQueued_ = false;
                Sync();
            });
        }
        break;
    case Grid::Change::Cell: {
        if (row == 0) {
            emit headerDataChanged(Qt::Horizontal, col, col);
            break;
        }
        const int vr = dirty_ ? -1 : ViewRow(row);
        if (vr >= 0) emit dataChanged(index(vr, col), index(vr, col));
        break;
    }
    case Grid::Change::Active:
        emit activeFromGrid(row, col);
        break;
    }
}

int GridModel::GridRow(int viewRow) const {
    return viewRow >= 0 && viewRow < int(shown_.size()) ? shown_[size_t(viewRow)] : -1;
}

int GridModel::ViewRow(int gridRow) const {
    auto it = std::lower_bound(shown_.begin(), shown_.end(), gridRow);
    return it != shown_.end() && *it == gridRow ? int(it - shown_.begin()) : -1;
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !Alive() ? 0 : int(shown_.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !Alive() ? 0 : grid_->Cols();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!Alive()) return {};
    const int r = GridRow(index.row());
    const int c = index.column();
    if (r < 0 || !grid_->ValidCell(r, c)) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (role == Qt::ToolTipRole && grid_->TextUtf8(r, c).size() < 40) return {};
        // Only the start of a huge cell: laying out megabytes of text would
        // stall every paint of the rows around it.
        return grid_->ShownText(r, c);
    case Qt::BackgroundRole:
        if (!grid_->HasCustomStyle() || grid_->BackColor(r, c) == Grid::kWhite) return {};
        return Colors::ToQColor(grid_->BackColor(r, c));
    case Qt::ForegroundRole:
        if (!grid_->HasCustomStyle() || grid_->ForeColor(r, c) == Grid::kBlack) return {};
        return Colors::ToQColor(grid_->ForeColor(r, c));
    case Qt::FontRole:
        if (grid_->Bold(r, c)) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (!Alive()) return {};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return grid_->Rows() > 0 ? grid_->Text(0, section) : QString();
    return QAbstractTableModel::headerData(section, orientation, role);
}

GridView::GridView(Grid* source, QWidget* parent)
    : QTableView(parent), model_(new GridModel(source, this)) {
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // One unbroken block, like the grid it shows: a ctrl-click elsewhere
    // starts a new selection instead of one the grid could only read as the
    // rows in between.
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(Grid::kShownRowHeight + 4);
    horizontalHeader()->setHighlightSections(false);
    // A caption at its column's start stays in sight when a long cell makes
    // the column wider than the view.
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(false);
    setWordWrap(false);
    setAlternatingRowColors(false);
    // Tab leaves the grid for the next control, as in every other field of
    // a window; the arrow keys move between cells.
    setTabKeyNavigation(false);
    connect(model_, &GridModel::layoutFromGrid, this, [this] {
        ApplyColumns();
        ApplySpans();
        FromGridActive(grid()->ActiveRow(), grid()->ActiveCol());
    });
    connect(model_, &GridModel::activeFromGrid, this, &GridView::FromGridActive);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (syncing_ || !current.isValid()) return;
                const int r = model_->GridRow(current.row());
                if (r < 0) return;
                syncing_ = true;
                grid()->SetActiveCell(r, current.column());
                syncing_ = false;
                emit ActiveCellChanged(r, current.column());
            });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ToGridSelection(); });
    ApplyColumns();
    ApplySpans();
}

void GridView::Sync() {
    if (!model_->Alive()) return;
    model_->Sync();
    ApplyColumns();
}

void GridView::ApplyColumns() {
    Grid* g = grid();
    for (int c = 0; c < g->Cols(); ++c) {
        const int w = g->ColumnWidth(c);
        // Column 0 is the grid's fixed column: shown only when given a width.
        setColumnHidden(c, w <= 0);
        if (w > 0 && columnWidth(c) != w) setColumnWidth(c, w);
    }
}

void GridView::ApplySpans() {
    clearSpans();
    for (const auto& m : grid()->Merges()) {
        const int vr = model_->ViewRow(m.row1);
        if (vr < 0 || m.row1 == 0) continue;
        const int vr2 = model_->ViewRow(m.row2);
        const int rowSpan = vr2 >= vr ? vr2 - vr + 1 : 1;
        const int colSpan = m.col2 - m.col1 + 1;
        if (rowSpan > 1 || colSpan > 1) setSpan(vr, m.col1, rowSpan, colSpan);
    }
}

void GridView::FromGridActive(int row, int col) {
    if (syncing_) return;
    const int vr = model_->ViewRow(row);
    if (vr < 0) {
        // The header row (or a hidden row) is active: no cell of the view is,
        // so a click on any cell moves the grid's active cell again.
        syncing_ = true;
        selectionModel()->clear();
        syncing_ = false;
        return;
    }
    syncing_ = true;
    const QModelIndex idx = model_->index(vr, col);
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect);
    const Grid* g = grid();
    if (g->SelectionFirstRow() != g->SelectionLastRow()) {
        const int a = model_->ViewRow(g->SelectionFirstRow());
        const int b = model_->ViewRow(g->SelectionLastRow());
        if (a >= 0 && b >= 0)
            selectionModel()->select(QItemSelection(model_->index(a, g->SelectionFirstCol()),
                                                    model_->index(b, g->SelectionLastCol())),
                                     QItemSelectionModel::Select);
    }
    syncing_ = false;
}

void GridView::ToGridSelection() {
    if (syncing_) return;
    const QModelIndexList sel = selectionModel()->selectedIndexes();
    if (sel.isEmpty()) return;
    int firstRow = INT_MAX, lastRow = -1, firstCol = INT_MAX, lastCol = -1;
    for (const QModelIndex& i : sel) {
        const int r = model_->GridRow(i.row());
        firstRow = std::min(firstRow, r);
        lastRow = std::max(lastRow, r);
        firstCol = std::min(firstCol, i.column());
        lastCol = std::max(lastCol, i.column());
    }
    const QModelIndex cur = currentIndex();
    const int ar = cur.isValid() ? model_->GridRow(cur.row()) : firstRow;
    const int ac = cur.isValid() ? cur.column() : firstCol;
    syncing_ = true;
    grid()->SetSelection(ar, ac, firstRow, firstCol, lastRow, lastCol);
    syncing_ = false;
}

namespace {
// A fitted column is never wider than this many average characters: one
// long cell (a pasted note) would otherwise push the columns after it out
// of the window and give the printout a page for it alone. Longer texts
// show cut off in the view.
int WidestFit() {
    constexpr int kMaxFitChars = 60;
    return QFontMetrics(QGuiApplication::font()).averageCharWidth() * kMaxFitChars;
}
}  // namespace

Grid::TextWidth GridView::FontTextWidth() {
    QFont bold = QGuiApplication::font();
    bold.setBold(true);
    const QFontMetrics fm(QGuiApplication::font());
    const int widest = WidestFit();
    return [fm, fmBold = QFontMetrics(bold), widest](const QString& text, bool isBold) {
        return std::min((isBold ? fmBold : fm).horizontalAdvance(text), widest);
    };
}

Grid::AsciiFonts GridView::FontAsciiAdvances() {
    // Kept for the program's life: a font's pairs are laid out once.
    static std::map<QString, std::shared_ptr<Grid::AsciiFont>> known;
    const auto of = [](const QFont& font) {
        std::shared_ptr<Grid::AsciiFont>& kept = known[font.key()];
        if (kept) return kept;
        kept = std::make_shared<Grid::AsciiFont>();
        const QFontMetricsF fm(font);
        for (int ch = 0x20; ch < 0x7F; ++ch) kept->advance[ch] = float(fm.horizontalAdvance(QChar(ch)));
        kept->pairKerning = [fm, advance = kept.get()->advance](unsigned char a, unsigned char b) {
            const QChar pair[2] = {QChar(a), QChar(b)};
            return float(fm.horizontalAdvance(QString(pair, 2))) - advance[a] - advance[b];
        };
        return kept;
    };
    QFont bold = QGuiApplication::font();
    bold.setBold(true);
    return {of(QGuiApplication::font()), of(bold), WidestFit()};
}

void GridView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    if (event->button() == Qt::RightButton && at.isValid() && selectionModel()->isSelected(at)) {
        // A right click inside the selection opens the menu on all of it:
        // the clicked cell becomes the active one, the selection stays.
        const int r = model_->GridRow(at.row());
        const Grid* g = grid();
        const int first = g->SelectionFirstRow(), last = g->SelectionLastRow();
        const int firstCol = g->SelectionFirstCol(), lastCol = g->SelectionLastCol();
        syncing_ = true;
        selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
        if (r >= 0) grid()->SetSelection(r, at.column(), first, firstCol, last, lastCol);
        syncing_ = false;
        if (r >= 0) emit ActiveCellChanged(r, at.column());
    } else {
        QTableView::mousePressEvent(event);
    }
    int button = 0;
    switch (event->button()) {
    case Qt::LeftButton: button = 1; break;
    case Qt::RightButton: button = 2; break;
    case Qt::MiddleButton: button = 4; break;
    default: break;
    }
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier) shift |= 1;
    if (event->modifiers() & Qt::ControlModifier) shift |= 2;
    if (event->modifiers() & Qt::AltModifier) shift |= 4;
    const QPoint p = event->position().toPoint();
    emit MouseDown(button, shift, p.x(), p.y());
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) emit DblClick();
}

void GridView::RequestMenu() {
    QPoint at(0, 0);
    const QModelIndex current = currentIndex();
    if (current.isValid()) {
        scrollTo(current);
        at = visualRect(current).center();
    }
    emit MenuKey(at);
}

void GridView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Menu && mods == Qt::NoModifier) ||
        (event->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
        event->accept();
        RequestMenu();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GridView::contextMenuEvent(QContextMenuEvent* event) {
    // The desktop's own menu-key request comes here as a context-menu event
    // at the pointer; the keyboard's menu belongs at the active cell.
    if (event->reason() == QContextMenuEvent::Keyboard) {
        event->accept();
        RequestMenu();
        return;
    }
    QTableView::contextMenuEvent(event);
}
