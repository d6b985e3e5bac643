// The INI reader (list files, per-task item INI files). Any input reads;
// written back untouched it is the same bytes; a value set under any key
// reads back, and every line the change did not touch keeps its bytes.
#include "FuzzTarget.h"

#include <QByteArray>
#include <QString>

#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    IniDocument doc;
    doc.Parse(bytes);
    FUZZ_CHECK(doc.ToBytes() == bytes);
    for (const QString& section : doc.Sections()) {
        for (const auto& [key, value] : doc.Entries(section)) FUZZ_CHECK(doc.Value(section, key).has_value());
    }

    // The first line names a key, the second gives a value; both are stored
    // in a section of their own at the end, so the file before it stays.
    const qsizetype nl = bytes.indexOf('\n');
    if (nl < 0) return 0;
    const QString key = QString::fromUtf8(bytes.left(nl)).trimmed();
    const QString value = QString::fromUtf8(bytes.mid(nl + 1, 64)).split(QLatin1Char('\n')).front();
    if (key.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\r'))) return 0;
    const QString section = QStringLiteral("Fuzz section \u00A7");
    if (doc.HasSection(section)) return 0;
    doc.SetValue(section, key, value);
    const QByteArray written = doc.ToBytes();
    IniDocument again;
    again.Parse(written);
    const auto back = again.Value(section, key);
    FUZZ_CHECK(back.has_value());
    FUZZ_CHECK(*back == value);
    FUZZ_CHECK(again.Entries(section).size() == 1);
    FUZZ_CHECK(again.Entries(section).front().first == key);
    return 0;
}

std::vector<std::string> QuillonFuzzSeeds() {
    std::vector<std::string> seeds;
    IniDocument list;
    list.SetValue("Employees", "Ann", "255");
    list.SetValue("Employees", QString::fromUtf8("Jürgen"), "-2147483633");
    list.SetValue("Equipment", "Pipe 3\"=spare", "65280");
    list.SetValue("Equipment", "[Boiler]", "  blanks  ");
    list.SetValue("Types", "Inspection", "");
    seeds.push_back(list.ToBytes().toStdString());
    seeds.push_back(std::string("\xEF\xBB\xBF[Types]\r\nOil=\r\nM\xFCller=\x80 5\r\n; comment\r\n\r\n[A]\rk=\"v\"\nlast"));
    seeds.push_back("Pipe 3\"=spare\n42\n[Employees]\nBob=1\n");
    return seeds;
}
