#pragma once
// The column chooser ("Columns"): marks the task columns that are shown and,
// on Apply, shows and hides the task grid's columns to match and saves the
// database, so the choice travels inside the database file. It is handed the
// database it edits.

#include <QDialog>
#include <QString>
#include <vector>

class Grid;
class TaskDatabase;
class QListWidget;
class QPushButton;

namespace ColumnChooser {
struct Entry {
    QString text;   // the column's header text
    int col;        // its task grid column
};
// The twelve columns offered, in list order (never the fixed column nor
// the document column).
const std::vector<Entry>& Entries();
// An entry is marked when its column is shown (width above 0).
std::vector<bool> Marks(const Grid& grid);
// Shows the marked columns (header text back, width fitted to the texts)
// and hides the others (empty header, width 0); the document column stays
// hidden. A column that ends up hidden is never widened again.
void Apply(Grid& grid, const std::vector<bool>& marks);
}

class Form5 : public QDialog {
    Q_OBJECT
public:
    explicit Form5(TaskDatabase& db);
    ~Form5() override;

    void GetGrid1();          // fills and marks the list from the task grid
    void Command1_Click();    // "&Apply"
    void Command2_Click();    // "&Close"
    // The marks as the list holds them, in entry order.
    std::vector<bool> ListMarks() const;

    QListWidget* List1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

private:
    TaskDatabase& db_;
};
