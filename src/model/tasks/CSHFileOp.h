#pragma once
// A file copy with the shell's manners: source and destination paths are
// collected first, missing target folders are made, and when confirmation is
// on the user is asked (through Dialogs) before a file of the same name is
// replaced. A no to that question skips the file and marks the operation as
// aborted, so callers can tell "the user kept the old file" from a failure.

#include <QString>
#include <QStringList>

class CSHFileOp {
public:
    // Shell operation flags the settings stand for (kept for callers that
    // log or compare them; the copy itself is done by FileOps).
    enum Flag : int {
        FOF_MULTIDESTFILES = 0x01,
        FOF_SILENT = 0x04,
        FOF_RENAMEONCOLLISION = 0x08,
        FOF_NOCONFIRMATION = 0x10,
        FOF_ALLOWUNDO = 0x40,
        FOF_FILESONLY = 0x80,
        FOF_SIMPLEPROGRESS = 0x100,
        FOF_NOCONFIRMMKDIR = 0x200,
    };
    static constexpr int FO_COPY = 2;
    // The error raised when there is nothing to copy.
    static constexpr int kNoSourceError = -2147221504 + 1000;

    // Whether to ask before replacing an existing file (default: ask).
    void ConfirmOperation(bool confirm) { confirmOperation_ = confirm; }
    void AddSourceFile(const QString& path) { sourceFiles_ << path; }
    void AddDestFile(const QString& path) { destFiles_ << path; }

    // Copies every source added so far. With one destination that is a
    // folder (existing, or named with a trailing '/'), each source goes into
    // it under its own name; with several destinations, source i goes to
    // destination i. True when every file was copied.
    bool CopyFiles();

    // After CopyFiles: the user declined at least one replacement.
    bool AnyOperationsAborted() const { return anyAborted_; }
    // After a failed CopyFiles: what went wrong (empty when only aborted).
    QString LastError() const { return lastError_; }
    int LastErrorNumber() const { return lastErrorNumber_; }
    // The flags of the current settings.
    int Flags() const;

private:
    bool DoFileOp(int operation);
    bool CopyOne(const QString& source, const QString& target);

    bool allowUndo_ = false;
    bool confirmMkDir_ = false;
    bool confirmOperation_ = true;
    QString progressTitle_;
    bool dirsToo_ = true;
    bool renameOnCollision_ = false;
    bool silent_ = true;
    QStringList sourceFiles_;
    QStringList destFiles_;

    bool anyAborted_ = false;
    QString lastError_;
    int lastErrorNumber_ = 0;
};
