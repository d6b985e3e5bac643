// The settings store reader: any settings file reads without harm, its
// values come back as text or numbers, and a value written into it reads
// back exactly, whatever else the file holds.
#include "FuzzTarget.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/IniFile.h"
#include "platform/Registry.h"

namespace {
QString SettingsFile() {
    static QTemporaryDir* dir = [] {
        auto* d = new QTemporaryDir(QDir::tempPath() + "/quillon-fuzz-XXXXXX");
        qputenv("QUILLON_CONFIG_DIR", d->path().toUtf8());
        return d;
    }();
    return dir->path() + "/HKEY_CURRENT_USER.ini";
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString file = SettingsFile();
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return 0;
    }
    IniDocument doc;
    if (!doc.Load(file)) return 0;
    for (const QString& section : doc.Sections()) {
        for (const auto& [name, stored] : doc.Entries(section)) {
            const RegistryStore::Value v = RegistryStore::Read("HKEY_CURRENT_USER", section, name);
            (void)basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, section, name);
            if (v.type == RegistryStore::Type::Number) (void)QString::number(v.number);
        }
    }
    // Any text, control characters and lone surrogates included, survives.
    QString text = QString::fromUtf8(bytes.left(48));
    text += QChar(char16_t(0xD800));
    text += QChar(char16_t(0));
    FUZZ_CHECK(Settings::Set("Fuzz", "Value", text));
    FUZZ_CHECK(Settings::Get("Fuzz", "Value") == text);
    return 0;
}

std::vector<std::string> QuillonFuzzSeeds() {
    SettingsFile();
    QFile::remove(SettingsFile());
    Settings::Set("Settings", "Default", QString::fromUtf8("/home/jürgen/plant.vkt"));
    Settings::Set("Settings", "Path", QString::fromUtf8("/home/jürgen/"));
    Settings::Set("Dates", "To", "30");
    Settings::Set("Email", "Body", "line one\nline two\ttab \\ back");
    basRegistry::SetRegValue(basRegistry::HKEY_CURRENT_USER, "Software\\Quillon\\Count", "Tasks", 12);
    RegistryStore::Value bin;
    bin.type = RegistryStore::Type::Binary;
    bin.text = "00ff10";
    RegistryStore::Write("HKEY_CURRENT_USER", "Software\\Quillon\\Float", "Pos", bin);
    QFile f(SettingsFile());
    f.open(QIODevice::ReadOnly);
    std::vector<std::string> seeds{f.readAll().toStdString()};
    seeds.push_back("[Software\\Quillon\\Count]\nTasks=dword:4294967295\nBad=dword:x\nHex=hex:0g\nEsc=sz:\\x4\\u12\\q\n");
    return seeds;
}
