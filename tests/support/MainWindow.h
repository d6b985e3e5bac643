#pragma once
// Fixture for tests that need the real main window: starts it as the
// program does (offscreen), and offers a database to work in. Prints go
// back to the real printers at the end.

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "app/Form1.h"
#include "support/TestEnv.h"

class MainWindowTest : public QuillonTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the start-up sequence on a fresh main window.
    Form1* Start();
    // Ends the program as the user would (File, Exit) and forgets the window.
    void Stop();
    // Creates a database through File, New Database (answering the questions)
    // and returns its path. `makeDefault` answers the default question.
    QString NewDatabase(const QString& fileName = QStringLiteral("plant.vkt"), bool makeDefault = false);
    // Writes entries (name, colour) into a section of the database's list file.
    void AddListEntries(const QString& section, const std::vector<std::pair<QString, QString>>& entries);
    // Writes a task's item list, and its material list (material, cost), in
    // place of any it had.
    void WriteItems(const QString& id, const QStringList& items);
    void WriteMaterials(const QString& id, const std::vector<std::pair<QString, QString>>& materials);
    // Appends a task row (columns 1.. in order) to Grid1 and saves.
    int AddTask(const QStringList& columns);
    // A task with the usual fields; `start` as the grid stores dates.
    int AddTask(const QString& id, const QDate& start, const QString& status = QStringLiteral("Ready"));

    // Clicks a task cell of the grid, as the user selects a task.
    void ClickCell(int row, int col, Qt::KeyboardModifiers mods = {});
    void SelectTask(int row) { ClickCell(row, Col::TaskId); }
    // Right-clicks a cell (a real context-menu press) and chooses a command
    // of the task-row menu that opens.
    void RowMenu(int row, int col, const char* item);
    // Clicks an item of the list bar (its group opened first) or a button of
    // the toolbar, by its text or key.
    void ClickListItem(const QString& text);
    void ClickToolButton(const QString& key);

    Form1* form_ = nullptr;
};
