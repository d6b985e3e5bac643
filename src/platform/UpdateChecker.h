#pragma once
// The update check: fetches the update list over HTTP(S), compares the
// version in it with the running program's, and answers with a status:
//   0  nothing to do (no check was made: no address)
//   1  the list could not be fetched (no connection, server error, time-out)
//   2  the user chose to install a newer version and its download page was
//      opened: the program should end so the new version can be installed
//   3  no newer version (said to the user here)
//   4  a newer version exists but its page could not be opened (said here)
//   5  the user declined the newer version
//   6  the list was fetched but is not an update list (said here)
// Quillon never replaces its own files: on Linux the package manager does.
//
// The update list is plain UTF-8 text, one "Name=Value" a line; blank lines
// and lines starting with "#" are comments; names compare without case:
//   Product=Quillon
//   Version=4.4.0          (major.minor.revision, each a number)
//   Page=https://...       (the download page offered to the user)
// Product must be "Quillon" and Version must be present.

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

struct UpdateList {
    QString product;
    int major = 0, minor = 0, revision = 0;
    QString page;
    // nullopt when the text is not an update list.
    static std::optional<UpdateList> Parse(const QByteArray& text);
    // True when this list names a version newer than the given one.
    bool IsNewerThan(int major, int minor, int revision) const;
    QString VersionText() const;
};

class UpdateChecker : public QObject {
    Q_OBJECT
public:
    explicit UpdateChecker(QObject* parent = nullptr);
    ~UpdateChecker() override;

    int MajorVersion = 0;
    int MinorVersion = 0;
    int RevisionNumber = 0;
    QString ProductName;
    bool UpdateFlag = false;
    QString ApplicationFolder;
    QString UpdateListUrl;
    int TimeoutMs = 15000;

    // The address of the list: QUILLON_UPDATE_URL when set, else ours.
    static QString DefaultListUrl();

    // Starts the check and returns; UpdateResult follows. A check asked for
    // while one runs is ignored.
    void CheckForUpdate();
    bool Running() const { return reply_ != nullptr; }

signals:
    void UpdateResult(const QString& text, int status);

private:
    void Finished();
    QNetworkAccessManager* network_ = nullptr;
    QPointer<QNetworkReply> reply_;
};
