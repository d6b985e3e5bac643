#pragma once
// The list file of a task database: the employees and the equipment, each
// with its Gantt colour, and the task types. It lies beside the database
// file, named after it with ".ini", and is read and written through the INI
// layer only. Nothing here keeps the lists: every listing reads the file
// afresh, every change is on disk at once, so several windows on one file
// never work from a stale copy.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace ListSection {
inline const QString Employees = QStringLiteral("Employees");
inline const QString Equipment = QStringLiteral("Equipment");
inline const QString Types = QStringLiteral("Types");
}

struct ListEntry {
    QString name;
    QString value;   // the colour as decimal text; empty for a type
    // The colour number; nullopt when the value is not a 32-bit number.
    std::optional<int32_t> Colour() const;
};

// One entry as a list window shows it: its name, and which of the entries
// spelled exactly so it is (0 the first). Names that differ only in case or
// in the blanks around them are other entries.
struct ListedName {
    QString name;
    int occurrence = 0;
};

class ListFile {
public:
    // The windows count entries with a 16-bit index; a section lists at most
    // this many.
    static constexpr int kMaxEntries = 32767;
    // The colour number of the system's button-face colour (system colour
    // 15 with the high bit set): what an untouched colour button stores.
    static constexpr int32_t kButtonFace = int32_t(0x8000000Fu);

    explicit ListFile(QString path) : path_(std::move(path)) {}
    const QString& Path() const { return path_; }

    // The entries of a section in file order. A missing file or section
    // gives none; so does an unreadable file (LastError then says why).
    // Entries without a name are not listed.
    std::vector<ListEntry> Entries(const QString& section) const;
    QStringList Names(const QString& section) const;

    // Writes one entry. A name already listed as typed keeps its place and
    // takes the new value. A name listed in another letter case is refused:
    // names compare without regard to case, so writing it would only give
    // the listed one a new colour (Refused() then holds). The file and the
    // section are created when missing. False, with LastError, when the name
    // is refused or the file could not be written; the file is then as it was.
    bool Add(const QString& section, const QString& name, const QString& value);
    // The last change failed because the name was turned away, not because
    // the file could not be written.
    bool Refused() const { return refused_; }

    // Removes the chosen entries from the file as it stands now; every other
    // entry, look-alikes of a chosen one included, keeps its place and its
    // value exactly as written. A section left without entries goes too.
    // False, with LastError, when the file could not be read or written; it
    // is then unchanged.
    bool Delete(const QString& section, const std::vector<ListedName>& chosen);
    // The chosen rows of a listing as the entries they are.
    static std::vector<ListedName> Chosen(const QStringList& listed, int first, int last);

    QString LastError() const { return error_; }

private:
    // Why a name cannot be stored so that it reads back unchanged, as a
    // message for the user; empty when it can.
    static QString NameProblem(const QString& name);

    QString path_;
    mutable QString error_;
    bool refused_ = false;
};
