// A second copy of the program's database layer, started by the tests as
// another process:
//   open <db>        opens, prints "opened" or "refused: <reason>", and then
//                    holds the database until its standard input closes
//   add <db> <id>    opens, appends a task and saves; prints "saved" or
//                    "refused: <reason>"
//   overwrite <db> <id>
//                    writes a one-task database over the file without any
//                    lock, as another program would
//   dated <db> <id> <yyyy-MM-dd>
//                    creates a database with one task starting that day at
//                    15:04:05, in the date forms of the locale the environment
//                    names (LC_ALL, LC_TIME, LANG); prints the date form
#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <iostream>
#include <string>

#include "model/database/TaskColumns.h"
#include "model/database/TaskDatabase.h"
#include "platform/DateText.h"
#include "platform/GridFile.h"

namespace {
void Say(const QString& text) {
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) return 2;
    const QString command = args[1], path = args[2];
    if (command == QLatin1String("overwrite") && args.size() > 3) {
        Grid grid;
        TaskDatabase::SetHeaders(grid);
        grid.SetRows(2);
        grid.SetText(1, Col::TaskId, args[3]);
        QString error;
        if (!GridFile::Save(grid, path, &error)) return Say("failed: " + error), 1;
        Say(QStringLiteral("written"));
        return 0;
    }
    if (command == QLatin1String("dated") && args.size() > 4) {
        TaskDatabase db;
        if (!db.Create(path)) return Say(QStringLiteral("refused")), 1;
        Grid& g = db.Tasks();
        g.SetRows(2);
        g.SetText(1, Col::TaskId, args[3]);
        const QDateTime start(QDate::fromString(args[4], Qt::ISODate), QTime(15, 4, 5));
        g.SetText(1, Col::ScheduledStart, DateText::FormatGeneral(start));
        g.SetText(1, Col::StartTime, DateText::FormatTime(start.time()));
        if (!db.Save()) return Say(QStringLiteral("refused")), 1;
        Say(DateText::DateFormat());
        return 0;
    }
    TaskDatabase db;
    const TaskDatabase::Result opened = db.Open(path);
    if (!opened) return Say("refused: " + opened.reason), 1;
    if (command == QLatin1String("open")) {
        Say(QStringLiteral("opened"));
        std::string line;
        while (std::getline(std::cin, line)) {}
        return 0;
    }
    if (command == QLatin1String("add") && args.size() > 3) {
        Grid& g = db.Tasks();
        g.SetRows(g.Rows() + 1);
        g.SetText(g.Rows() - 1, Col::TaskId, args[3]);
        const TaskDatabase::Result saved = db.Save();
        if (!saved) return Say("refused: " + saved.reason), 1;
        Say(QStringLiteral("saved"));
        return 0;
    }
    return 2;
}
