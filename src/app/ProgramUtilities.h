#pragma once
// The program's utilities behind the File, Setup and Help menus: the
// preferences (whose colours take effect at once on the chart and the
// past-due marks), skins, the spreadsheet program's path, the update check,
// help and About. A class of its own for the update check: it runs on after
// its command has returned, and its checker answers here.

#include <QObject>
#include <QString>
#include <functional>

class GanttChart;
class UpdateChecker;
class QWidget;

class ProgramUtilities : public QObject {
    Q_OBJECT
public:
    struct Window {
        QWidget* window;                           // dressed by a skin
        GanttChart* chart;                         // coloured by the preferences
        std::function<QString()> databaseFolder;   // the update check's folder
        std::function<void()> pastDue;             // marks the past-due tasks again
        std::function<void()> quit;                // ends the program for an update
    };
    explicit ProgramUtilities(Window window);

    void Preferences();
    // A skin file chosen by the user; "" when cancelled.
    static QString AskSkinFile();
    void ChangeSkin();
    // The spreadsheet program found and stored; a path the user applied
    // stays when the lookup finds nothing.
    static void FindSpreadsheetProgram();
    static void SpreadsheetPathWindow();
    // Starts the check; its checker, made on the first one.
    UpdateChecker* StartUpdateCheck();
    void TellUpdateResult(int status);
    static void HelpContents();
    static void WebPage();
    static void About();

private:
    Window window_;
    UpdateChecker* checker_ = nullptr;
};
