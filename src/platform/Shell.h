#pragma once
// Opening documents and pages and starting programs, behind one interface so
// tests can record what would have been opened.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file or URL with the desktop's default program.
    virtual bool OpenDocument(const QString& pathOrUrl) = 0;
    // Starts a program with arguments in a working folder, without waiting.
    // False when it cannot be started at all (no such program, not one that
    // can run). A program that starts and then gives up within its first
    // seconds (no display, a broken installation) calls `failed`, later,
    // with what it said last or its exit code.
    using Failed = std::function<void(const QString& reason)>;
    virtual bool StartProgram(const QString& program, const QStringList& args,
                              const QString& workingFolder, Failed failed = {}) = 0;

    static Shell& Get();
    static void Install(std::unique_ptr<Shell> shell);
};

class DesktopShell : public Shell {
public:
    // The address OpenDocument hands the desktop: an existing file as a
    // file address, anything else as the user would type it.
    static QUrl UrlFor(const QString& pathOrUrl);
    bool OpenDocument(const QString& pathOrUrl) override;
    bool StartProgram(const QString& program, const QStringList& args,
                      const QString& workingFolder, Failed failed = {}) override;
    // How long a started program is watched for giving up.
    static constexpr int kWatchMs = 15000;
};
