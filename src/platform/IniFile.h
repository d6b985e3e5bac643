#pragma once
// INI files read and written by the rules of Windows profile files:
// section and key names compare without regard to case, the file's order is
// kept, a value is replaced where it stands, a new key goes after the last
// key of its section and a new section at the end of the file, comments and
// blank lines survive. Each line is read as UTF-8 where it is valid UTF-8 and
// as Windows-1252 (the ANSI code page Windows wrote) otherwise, so one stray
// byte never garbles the rest of the file; a line the program did not change
// is written back byte for byte, new and changed lines as UTF-8. Files are
// written through a temporary file.
//
// Not QSettings: it sorts and escapes keys, which would break the order the
// list windows show.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "platform/FileOps.h"

class IniDocument {
public:
    // Loads the file; a missing file gives an empty document (returns true).
    // Returns false only when an existing file cannot be read.
    bool Load(const QString& path, QString* error = nullptr);
    bool Save(const QString& path, QString* error = nullptr,
              FileOps::Access access = FileOps::Access::Shared) const;
    // Loads, changes and saves the file while holding the lock of its folder,
    // so two programs changing one file never lose each other's change.
    // `change` sets `changed` when there is something to write; returning
    // false from it stops without writing. A file that cannot be read is
    // never written.
    using Change = std::function<bool(IniDocument&, bool& changed)>;
    static bool Update(const QString& path, const Change& change, QString* error = nullptr,
                       FileOps::Access access = FileOps::Access::Shared);
    // Larger files are refused: a list or settings file is a few kilobytes
    // (a full list of 32,767 long names about two megabytes), and every line
    // read costs memory, so a huge damaged file could exhaust it.
    static constexpr qint64 kMaxFileBytes = qint64(8) << 20;
    void Parse(const QByteArray& bytes);
    QByteArray ToBytes() const;

    QStringList Sections() const;
    bool HasSection(const QString& section) const;
    // Keys and values of a section in file order (duplicates as they stand).
    std::vector<std::pair<QString, QString>> Entries(const QString& section) const;
    std::optional<QString> Value(const QString& section, const QString& key) const;
    void SetValue(const QString& section, const QString& key, const QString& value);
    bool RemoveKey(const QString& section, const QString& key);
    // Removes the entries of the section Entries() reads for which `remove`
    // says yes, asked in file order with each entry's key as read. Unlike
    // RemoveKey, it tells apart names that differ only in case or blanks.
    bool RemoveEntries(const QString& section, const std::function<bool(const QString& key)>& remove);
    bool RemoveSection(const QString& section);
    // Adds an empty section at the end when no section of that name exists.
    void AddSection(const QString& section);

private:
    struct Line {
        enum Kind : quint8 { Other, Section, Entry } kind = Other;
        // A line read from the file and not changed since: its bytes and its
        // line end (0, 1 or 2 bytes) are kept as they stand in source_, and
        // its text is decoded only when it is changed.
        bool asRead = false;
        quint8 endSize = 0;
        qsizetype from = 0, size = 0;
        QString raw;       // the text of a line made or changed here
        QString name;      // section name; key of an entry made or changed here (trimmed)
        QString value;     // value of an entry made or changed here (trimmed, outer quotes removed)
    };
    // The line's text, decoded, without its line end.
    QString RawOf(const Line& line) const;
    // An entry line's key and value (those of a line read from the file are
    // decoded when asked for: most of a large file is never looked at).
    std::pair<QString, QString> EntryOf(const Line& line) const;
    bool IsBlank(const Line& line) const;
    int FindSection(const QString& section) const;
    int SectionEnd(int sectionLine) const;   // index after the section's last line
    // Lines were added or removed: the section index no longer holds.
    void LinesMoved() { sectionIndexValid_ = false; }
    std::vector<Line> lines_;
    // (hash of the case-folded name, header line) of every section, sorted,
    // built when first needed after a change: finding a section in a file
    // of many sections is a binary search rather than a walk through the
    // file, and building it allocates nothing per section.
    mutable std::vector<std::pair<quint64, int>> sectionIndex_;
    mutable bool sectionIndexValid_ = false;
    QByteArray source_;      // the bytes the document was read from
    QString eol_ = QStringLiteral("\n");
    bool bom_ = false;       // the file began with a UTF-8 byte-order mark
};

// The INI-file component as the windows use it: name the file, then read or
// write. Every call works from the file as it is on disk at that moment and
// every write is on disk at once, so several windows on one file never work
// from a stale copy.
class aaxIniFile {
public:
    void FileName(const QString& path) { path_ = path; }
    QString FileName() const { return path_; }
    int SelectSection(const QString& section);
    int KeyCount(int& count);
    // 0 when the index (1-based) named a key.
    int KeyAt(int index, QString& key, QString& value);
    int ReadValue(const QString& section, const QString& key, QString& value);
    // Returns false (with lastError()) when the file could not be written.
    bool WriteValue(const QString& section, const QString& key, const QString& value);
    bool DeleteKey(const QString& section, const QString& key);
    bool DeleteSection(const QString& section);
    QString LastError() const { return error_; }

private:
    // The file as read now. The parsed copy is reused only while the file on
    // disk is unchanged (same inode, size and times; every write here
    // replaces the inode), so listing N keys does not parse the file N times
    // and a change by anyone is still seen at the next call.
    const IniDocument* Current();
    // The selected section's entries, kept with the parsed copy.
    const std::vector<std::pair<QString, QString>>* SectionEntries();
    bool Write(const IniDocument::Change& change);
    QString path_;
    QString section_;
    QString error_;
    IniDocument doc_;
    QString docPath_;
    QByteArray docStamp_;   // empty: nothing cached
    std::vector<std::pair<QString, QString>> entries_;
    QHash<QString, int> entryIndex_;   // case-folded key -> first index in entries_
    QString entriesSection_;
    bool entriesValid_ = false;
};
