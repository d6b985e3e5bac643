#include "model/tasks/CSHFileOp.h"

#include <QFileInfo>

#include "platform/Dialogs.h"
#include "platform/FileOps.h"

int CSHFileOp::Flags() const {
    int flags = 0;
    if (allowUndo_) flags += FOF_ALLOWUNDO;
    if (silent_) flags += FOF_SILENT;
    if (renameOnCollision_) flags += FOF_RENAMEONCOLLISION;
    if (!confirmOperation_) flags += FOF_NOCONFIRMATION;
    if (!confirmMkDir_) flags += FOF_NOCONFIRMMKDIR;
    if (!dirsToo_) flags += FOF_FILESONLY;
    if (!progressTitle_.isEmpty()) flags += FOF_SIMPLEPROGRESS;
    if (destFiles_.size() > 1) flags += FOF_MULTIDESTFILES;
    return flags;
}

bool CSHFileOp::CopyFiles() { return DoFileOp(FO_COPY); }

bool CSHFileOp::DoFileOp(int operation) {
    anyAborted_ = false;
    lastError_.clear();
    lastErrorNumber_ = 0;
    if (sourceFiles_.isEmpty()) {
        lastErrorNumber_ = kNoSourceError;
        lastError_ = QStringLiteral("No source files specified file operation");
        return false;
    }
    if (operation != FO_COPY) {
        lastError_ = QStringLiteral("Only copying is supported");
        return false;
    }
    if (destFiles_.isEmpty()) {
        lastError_ = QStringLiteral("No destination specified for the copy");
        return false;
    }
    const bool multiDest = destFiles_.size() > 1;
    if (multiDest && destFiles_.size() != sourceFiles_.size()) {
        lastError_ = QStringLiteral("The number of destinations does not match the sources");
        return false;
    }
    for (int i = 0; i < sourceFiles_.size(); ++i) {
        const QString& source = sourceFiles_[i];
        QString target;
        if (multiDest) {
            target = destFiles_[i];
        } else {
            const QString dest = destFiles_.first();
            const bool intoFolder = dest.endsWith(QLatin1Char('/')) || FileOps::FolderExists(dest) ||
                                    sourceFiles_.size() > 1;
            target = intoFolder ? FileOps::Join(dest, QFileInfo(source).fileName()) : dest;
        }
        if (!CopyOne(source, target)) return false;
    }
    return !anyAborted_;
}

bool CSHFileOp::CopyOne(const QString& source, const QString& target) {
    if (!FileOps::FileExists(source)) {
        lastError_ = QStringLiteral("Cannot copy %1: the file does not exist.").arg(source);
        return false;
    }
    // Nothing is asked or skipped about a link in the copy's place.
    if (const QString link = FileOps::LinkProblem(target); !link.isEmpty()) {
        lastError_ = link;
        return false;
    }
    const QFileInfo in(source), out(target);
    // A file copied onto itself is already where it should be.
    if (out.exists() && in.canonicalFilePath() == out.canonicalFilePath()) return true;
    const QString folder = out.absolutePath();
    if (!FileOps::FolderExists(folder) && !FileOps::MakeFolder(folder)) {
        lastError_ = QStringLiteral("Cannot create the folder %1.").arg(folder);
        return false;
    }
    if (out.exists() && confirmOperation_) {
        const int answer = MsgBox(
            QStringLiteral("This folder already contains a file named '%1'.\n\nWould you like to replace the "
                           "existing file with this one?")
                .arg(out.fileName()),
            vb::vbYesNo + vb::vbExclamation, QStringLiteral("Confirm File Replace"));
        if (answer != vb::vbYes) {
            anyAborted_ = true;
            return true;   // skipped; the other files still go
        }
    }
    QString error;
    if (!FileOps::CopyFile(source, target, true, &error)) {
        lastError_ = QStringLiteral("Cannot copy %1: %2").arg(in.fileName(), error);
        return false;
    }
    return true;
}
