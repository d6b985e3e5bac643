#include "model/tasks/TaskFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "model/database/DatabaseLocation.h"
#include "platform/FileOps.h"
#include "platform/Grid.h"
#include "model/tasks/CSHFileOp.h"

namespace TaskFiles {

void ResetItems(Grid& grid) {
    grid.ClearRows();
    grid.SetCols(2);
    grid.SetRows(1);
    grid.SetColumnWidth(0, 0);
    grid.SetText(0, 1, kItemsHeader);
    grid.AutoFit(1);
    grid.SetActiveCell(0, 1);
}

void ResetMaterials(Grid& grid) {
    grid.ClearRows();
    grid.SetCols(3);
    grid.SetRows(1);
    grid.SetColumnWidth(0, 0);
    grid.SetText(0, 1, kMaterialsHeader);
    grid.SetText(0, 2, kCostHeader);
    grid.AutoFit(1);
    grid.AutoFit(2);
    grid.SetActiveCell(0, 1);
}

QString IdProblem(const QString& id) {
    if (id.isEmpty()) return QStringLiteral("You must enter a Task ID");
    if (!DatabaseLocation::IdNamesFiles(id))
        return QStringLiteral("The Task ID \"%1\" cannot name the task's files: it may not contain / or \\ "
                              "or control characters, nor be longer than a file name.")
            .arg(id);
    return QString();
}

QString ItemFile(const QString& tasksFolder, const QString& id) {
    return DatabaseLocation::TaskFile(tasksFolder, id, QStringLiteral(".tsk"));
}

QString MaterialFile(const QString& materialsFolder, const QString& id) {
    return DatabaseLocation::TaskFile(materialsFolder, id, QStringLiteral(".mts"));
}

static LoadResult LoadList(Grid& grid, const QString& path, void (*reset)(Grid&), int cols, QString* error) {
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        reset(grid);
        return LoadResult::Missing;
    }
    QString why;
    if (!grid.LoadFile(path, &why)) {
        reset(grid);
        if (error) *error = why;
        return LoadResult::Failed;
    }
    // A list always has its columns, whatever the file held.
    if (grid.Cols() < cols) grid.SetCols(cols);
    if (grid.Rows() < 1) grid.SetRows(1);
    grid.SetActiveCell(0, 1);
    return LoadResult::Loaded;
}

LoadResult LoadItems(Grid& grid, const QString& path, QString* error) {
    return LoadList(grid, path, &ResetItems, 2, error);
}

LoadResult LoadMaterials(Grid& grid, const QString& path, QString* error) {
    return LoadList(grid, path, &ResetMaterials, 3, error);
}

bool SaveList(const Grid& grid, const QString& path, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (path.isEmpty()) return fail(QStringLiteral("The task has no file name."));
    // A link in the file's place is not "a list this program cannot read".
    if (const QString link = FileOps::LinkProblem(path); !link.isEmpty()) return fail(link);
    const QFileInfo info(path);
    if (info.exists()) {
        Grid existing;
        if (!info.isFile() || !existing.LoadFile(path))
            return fail(QStringLiteral("%1 exists but is not a list this program can read; it was left as it is.")
                            .arg(path));
    }
    const QString folder = info.absolutePath();
    QString why;
    if (!FileOps::FolderExists(folder) && !FileOps::MakeFolder(folder, &why))
        return fail(why.isEmpty() ? QStringLiteral("The folder %1 cannot be created.").arg(folder) : why);
    if (!grid.SaveFile(path, &why)) return fail(why);
    return true;
}

void AddItem(Grid& grid, const QString& text) {
    grid.SetRows(grid.Rows() + 1);
    grid.SetText(grid.Rows() - 1, 1, text);
    grid.AutoFit(1);
}

void SetItem(Grid& grid, int row, const QString& text) {
    if (!grid.IsDataRow(row)) return;
    grid.SetText(row, 1, text);
    grid.AutoFit(1);
}

void AddMaterial(Grid& grid, const QString& material, const QString& cost) {
    grid.SetRows(grid.Rows() + 1);
    const int row = grid.Rows() - 1;
    grid.SetText(row, 1, material);
    grid.SetText(row, 2, cost);
    grid.AutoFit(1);
    grid.AutoFit(2);
}

void SetMaterial(Grid& grid, int row, const QString& material, const QString& cost) {
    if (!grid.IsDataRow(row)) return;
    grid.SetText(row, 1, material);
    grid.SetText(row, 2, cost);
    grid.AutoFit(1);
    grid.AutoFit(2);
}

void DeleteSelected(Grid& grid) {
    grid.DeleteSelectedRows();
    if (grid.ActiveRow() >= grid.Rows()) grid.SetActiveCell(grid.Rows() - 1, 1);
}

namespace {

// Both files hold the same bytes. A file that cannot be read counts as
// different: the copy then goes under another name, and nothing is lost.
bool SameBytes(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    if (fa.size() != fb.size() || !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly)) return false;
    while (!fa.atEnd()) {
        const QByteArray chunk = fa.read(1 << 20);
        if (chunk.isEmpty() || fb.read(chunk.size()) != chunk) return false;
    }
    return fb.atEnd();
}

// "photo.png" as the n-th file of that name: "photo (n).png".
QString NumberedName(const QString& name, int n) {
    const QFileInfo info(name);
    const QString base = info.completeBaseName(), suffix = info.suffix();
    if (base.isEmpty() || suffix.isEmpty()) return QStringLiteral("%1 (%2)").arg(name).arg(n);
    return QStringLiteral("%1 (%2).%3").arg(base).arg(n).arg(suffix);
}

}  // namespace

CopyResult CopyDocument(const QString& source, const QString& docsFolder) {
    CopyResult result;
    if (docsFolder.isEmpty()) {
        result.error = QStringLiteral("No database folder is known.");
        return result;
    }
    QString why;
    if (!FileOps::FolderExists(docsFolder) && !FileOps::MakeFolder(docsFolder, &why)) {
        result.error = why.isEmpty() ? QStringLiteral("The folder %1 cannot be created.").arg(docsFolder) : why;
        return result;
    }
    const QString name = TrimPath(source);
    if (!FileOps::IsSafeFileName(name)) {
        result.error = QStringLiteral("%1 is not a file name.").arg(source);
        return result;
    }
    const QFileInfo in(source);
    if (!in.isFile()) {
        result.error = QStringLiteral("%1 does not exist.").arg(source);
        return result;
    }
    constexpr int kMostCopies = 10000;
    for (int n = 1; n <= kMostCopies; ++n) {
        const QString candidate = FileOps::Join(docsFolder, n == 1 ? name : NumberedName(name, n));
        const QFileInfo out(candidate);
        if (out.exists() || out.isSymLink()) {
            // Never through a link; the very file, or the same bytes, may be
            // shared by tasks; anything else keeps its name and its bytes.
            if (out.isSymLink() || !out.isFile()) continue;
            if (out.canonicalFilePath() == in.canonicalFilePath() || SameBytes(source, candidate)) {
                result.status = CopyResult::Shared;
                result.path = candidate;
                return result;
            }
            continue;
        }
        CSHFileOp op;
        op.AddSourceFile(source);
        op.AddDestFile(candidate);
        // The name was free a moment ago; should another program take it
        // meanwhile, the user is asked before its file is replaced.
        op.ConfirmOperation(true);
        if (op.CopyFiles()) {
            result.status = CopyResult::Copied;
            result.path = candidate;
            return result;
        }
        if (op.AnyOperationsAborted() && op.LastError().isEmpty()) continue;
        result.error = op.LastError();
        return result;
    }
    result.error = QStringLiteral("%1 already holds %2 files named like %3.").arg(docsFolder).arg(kMostCopies).arg(name);
    return result;
}

QString TrimPath(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

QString PictureFilter() {
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString ext = QString::fromLatin1(format).toLower();
        patterns << QStringLiteral("*.") + ext << QStringLiteral("*.") + ext.toUpper();
    }
    return QStringLiteral("Pictures (%1);;All Files (*)").arg(patterns.join(' '));
}

}  // namespace TaskFiles
