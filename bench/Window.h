#pragma once
// A main window over a generated database, for the benchmarks that take
// their commands through the window as the user does.
#include <QString>
#include <QTemporaryDir>

class Form1;
class Form6;
namespace GridPrint {
class PrintPreview;
}

namespace BenchData {

// A main window started on a default database of `tasks` tasks, all rows
// shown (View All) unless asked otherwise, as the user has it before the
// command.
class Window {
public:
    // `apart`: the database is made by a child process, so this process's
    // memory holds nothing of its making when the window opens it.
    // `coloured`: past-due colours chosen, so start-up paints every row.
    explicit Window(int tasks, bool viewAll = true, bool apart = false, bool coloured = false);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // False when the database could not be written: no window was opened,
    // since a figure over an empty database would be for work that never ran.
    bool Opened() const { return form_ != nullptr; }
    Form1* operator->() const { return form_; }
    QString Path() const { return path_; }

    // "View All" from the menu, every task row shown.
    void ViewAll() const;
    // "Print Grid" from the menu; the preview it shows, or nullptr.
    GridPrint::PrintPreview* PreviewGrid() const;

    // The task editor opened on the task at `row` with one field changed, as
    // the user has it just before Save; nullptr when the editor was refused.
    Form6* EditTask(int row, const QString& assignedTo) const;
    // The editor's "&Save Task" clicked and its work let run.
    static void ClickSave(Form6* editor);
    // Both of them; false when the editor did not save.
    bool SaveTask(int row, const QString& assignedTo) const;

    // A left click on a shown cell, as the user picks the cell to act on.
    void Click(int row, int col) const;

private:
    QTemporaryDir dir_;
    QString path_;
    Form1* form_ = nullptr;
};

}  // namespace BenchData
