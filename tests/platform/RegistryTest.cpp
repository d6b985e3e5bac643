#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <thread>
#include <vector>

#include "support/TestEnv.h"

namespace {

QString UserFile() { return RegistryStore::ConfigFolder() + "/HKEY_CURRENT_USER.ini"; }

void WriteUserFile(const QByteArray& bytes) {
    QDir().mkpath(RegistryStore::ConfigFolder());
    QFile f(UserFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

RegistryStore::Value Number(qint32 n) {
    RegistryStore::Value v;
    v.type = RegistryStore::Type::Number;
    v.number = n;
    return v;
}

RegistryStore::Value Text(const QString& t) {
    RegistryStore::Value v;
    v.type = RegistryStore::Type::Text;
    v.text = t;
    return v;
}

constexpr quint32 HKCU = basRegistry::HKEY_CURRENT_USER;
const QString kSettings = "Software\\Quillon\\Settings";

}  // namespace

class RegistryTest : public QuillonTest {};

TEST_F(RegistryTest, LivesInTheUsersConfigFolderUnlessOverridden) {
    EXPECT_EQ(RegistryStore::ConfigFolder(), qEnvironmentVariable("XDG_CONFIG_HOME") + "/Quillon");
    ASSERT_TRUE(Settings::Set("Settings", "Alert", "1"));
    EXPECT_TRUE(QFileInfo::exists(UserFile()));

    const QString own = temp_ + "/own";
    qputenv("QUILLON_CONFIG_DIR", own.toUtf8());
    EXPECT_EQ(RegistryStore::ConfigFolder(), own);
    EXPECT_EQ(Settings::Get("Settings", "Alert"), "");
    ASSERT_TRUE(Settings::Set("Settings", "Alert", "0"));
    EXPECT_TRUE(QFileInfo::exists(own + "/HKEY_CURRENT_USER.ini"));
    qunsetenv("QUILLON_CONFIG_DIR");
    EXPECT_EQ(Settings::Get("Settings", "Alert"), "1");
}

TEST_F(RegistryTest, NamesAndKeyPathsCompareWithoutCase) {
    ASSERT_TRUE(Settings::Set("Chart", "BackColor", "255"));
    ASSERT_TRUE(Settings::Set("chart", "Backcolor", "65280"));   // the same value
    EXPECT_EQ(Settings::Get("CHART", "BACKCOLOR"), "65280");

    aaxRegistry reg;
    reg.Root("HKEY_CURRENT_USER");
    EXPECT_TRUE(reg.OpenKey("software\\QUILLON\\chart"));
    EXPECT_EQ(reg.GetValue("backcolor"), "65280");

    QFile f(UserFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count("olor="), 1);
}

TEST_F(RegistryTest, AbsentValuesAndKeysReadEmpty) {
    aaxRegistry reg;
    reg.Root("HKEY_CURRENT_USER");
    EXPECT_FALSE(reg.OpenKey(kSettings));
    QString out = "stale";
    EXPECT_NE(reg.GetValue("Default", out), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(Settings::Get("Settings", "FileTitle"), "");
    EXPECT_EQ(basRegistry::GetRegValue(HKCU, kSettings, "excelpath"), QVariant(QString("")));
    EXPECT_EQ(RegistryStore::Read("HKEY_CURRENT_USER", kSettings, "x").type, RegistryStore::Type::None);
    EXPECT_FALSE(QFileInfo::exists(UserFile()));   // reading creates nothing

    ASSERT_TRUE(reg.CreateKey(kSettings));
    EXPECT_TRUE(reg.OpenKey(kSettings));
    EXPECT_TRUE(RegistryStore::KeyExists("HKEY_CURRENT_USER", "Software\\Quillon"));   // a parent
    EXPECT_FALSE(RegistryStore::KeyExists("HKEY_CURRENT_USER", "Software\\Quill"));
    EXPECT_EQ(reg.GetValue("Default", out), 1);
    EXPECT_EQ(out, "");
}

TEST_F(RegistryTest, EveryWriteIsOnDiskAtOnceAndLeavesNoTemporaryFiles) {
    aaxRegistry writer;
    writer.Root("HKEY_CURRENT_USER");
    ASSERT_TRUE(writer.CreateKey("Software\\Quillon\\Dates"));
    ASSERT_TRUE(writer.SetValue("To", "30"));

    // A second reader (another window) sees it without any flush.
    aaxRegistry reader;
    reader.Root("HKEY_CURRENT_USER");
    reader.OpenKey("Software\\Quillon\\Dates");
    EXPECT_EQ(reader.GetValue("To"), "30");
    QFile f(UserFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("30"));

    ASSERT_TRUE(writer.DeleteValue("To"));
    EXPECT_EQ(reader.GetValue("To"), "");
    EXPECT_EQ(QDir(RegistryStore::ConfigFolder()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"HKEY_CURRENT_USER.ini"}));
}

TEST_F(RegistryTest, AnyTextRoundTrips) {
    const QStringList texts = {
        "",
        "  blanks kept  ",
        "\"quoted\"",
        "line one\nline two\r\nthree",
        "tab\there; not a comment",
        "C:\\Program Files\\x\\",
        "\\n is not a newline",
        "sz:dword:hex:",
        "[Section]",
        QString::fromUtf8("Größe 📅 ⚙"),
        QString("nul") + QChar(0) + "inside" + QChar(0x1F) + QChar(0x7F),
        QString("lone ") + QChar(0xD800) + " surrogate",
    };
    const QStringList names = {"Default", "with = sign", "[bracket", ";semi", QString::fromUtf8("Ünï")};
    for (int i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(Settings::Set("Round", names[i % names.size()] + QString::number(i), texts[i]));
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(Settings::Get("Round", names[i % names.size()] + QString::number(i)), texts[i]) << i;
}

TEST_F(RegistryTest, GetRegValueByType) {
    ASSERT_TRUE(RegistryStore::Write("HKEY_CURRENT_USER", "Email", "Item0",
                                     Text(QString("a@b.c") + QChar(0) + "junk after")));
    ASSERT_TRUE(RegistryStore::Write("HKEY_CURRENT_USER", "Email", "Count", Number(-7)));
    RegistryStore::Value bin;
    bin.type = RegistryStore::Type::Binary;
    bin.text = "00ff10";
    ASSERT_TRUE(RegistryStore::Write("HKEY_CURRENT_USER", "Email", "Blob", bin));
    bin.text = "0g";
    EXPECT_FALSE(RegistryStore::Write("HKEY_CURRENT_USER", "Email", "Bad", bin));

    EXPECT_EQ(basRegistry::GetRegValue(HKCU, "Email", "Item0"), QVariant(QString("a@b.c")));
    const QVariant count = basRegistry::GetRegValue(HKCU, "Email", "Count");
    EXPECT_EQ(count.typeId(), QMetaType::Int);
    EXPECT_EQ(count.toInt(), -7);
    EXPECT_EQ(basRegistry::GetRegValue(HKCU, "Email", "Blob"), QVariant(QString("")));
    EXPECT_EQ(RegistryStore::Read("HKEY_CURRENT_USER", "Email", "Blob").text, "00ff10");
    EXPECT_EQ(basRegistry::GetRegValue(0x12345678u, "Email", "Count"), QVariant(QString("")));

    // The text component reads a number as its digits.
    aaxRegistry reg;
    reg.OpenKey("Email");
    EXPECT_EQ(reg.GetValue("Count"), "-7");
}

TEST_F(RegistryTest, SetRegValueStoresExactNumbersAsNumbersAndAllElseAsTrimmedText) {
    struct Case {
        QVariant in;
        RegistryStore::Type type;
        QString text;
        qint32 number;
    };
    const Case cases[] = {
        {QString("12"), RegistryStore::Type::Number, "", 12},
        {QString("  12  "), RegistryStore::Type::Number, "", 12},
        {QString("-2147483648"), RegistryStore::Type::Number, "", INT32_MIN},
        {QString("2147483647"), RegistryStore::Type::Number, "", INT32_MAX},
        {QVariant(42), RegistryStore::Type::Number, "", 42},
        // Text that a number would change stays text.
        {QString("007"), RegistryStore::Type::Text, "007", 0},
        {QString("1.5"), RegistryStore::Type::Text, "1.5", 0},
        {QString("2147483648"), RegistryStore::Type::Text, "2147483648", 0},
        {QString("+5"), RegistryStore::Type::Text, "+5", 0},
        {QString("-0"), RegistryStore::Type::Text, "-0", 0},
        {QString("  /usr/bin/localc  "), RegistryStore::Type::Text, "/usr/bin/localc", 0},
        {QString(""), RegistryStore::Type::Text, "", 0},
    };
    int i = 0;
    for (const Case& c : cases) {
        const QString name = QString("v%1").arg(i++);
        basRegistry::SetRegValue(HKCU, kSettings, name, c.in);
        const RegistryStore::Value v = RegistryStore::Read("HKEY_CURRENT_USER", kSettings, name);
        EXPECT_EQ(v.type, c.type) << c.in.toString().toStdString();
        if (c.type == RegistryStore::Type::Number) {
            EXPECT_EQ(v.number, c.number);
            EXPECT_EQ(basRegistry::GetRegValue(HKCU, kSettings, name).toInt(), c.number);
        } else {
            EXPECT_EQ(v.text, c.text);
            EXPECT_EQ(basRegistry::GetRegValue(HKCU, kSettings, name), QVariant(c.text));
        }
    }
}

TEST_F(RegistryTest, DamagedFileIsReadAsFarAsItGoes) {
    QByteArray bytes;
    bytes += "[Software\\Quillon\\Settings]\n";
    bytes += "Default=sz:/data/plant.vkt\n";
    bytes += QByteArray("\x00\xFF\xFE\x81garbage\x01\x02=\n", 15);
    bytes += "no equals sign here\n";
    bytes += "Alert=dword:notanumber\n";
    bytes += "Blob=hex:xyz\n";
    bytes += "Legacy=plain text\n";
    bytes += "Bad=sz:ends with \\";
    bytes += "\n[Software\\Quillon\\Dates\n";          // no closing bracket
    bytes += "From=sz:3/1/2026\n";
    bytes += "To=sz:3";                                // cut off mid-file
    WriteUserFile(bytes);

    EXPECT_EQ(Settings::Get("Settings", "Default"), "/data/plant.vkt");
    EXPECT_EQ(Settings::Get("Settings", "Alert"), "");
    EXPECT_EQ(basRegistry::GetRegValue(HKCU, kSettings, "Blob"), QVariant(QString("")));
    EXPECT_EQ(Settings::Get("Settings", "Legacy"), "plain text");
    EXPECT_EQ(Settings::Get("Settings", "Bad"), "ends with \\");
    EXPECT_EQ(Settings::Get("Dates", "From"), "3/1/2026");
    EXPECT_EQ(Settings::Get("Dates", "To"), "3");

    // Writing on top of it keeps what could be read.
    ASSERT_TRUE(Settings::Set("Dates", "To", "30"));
    EXPECT_EQ(Settings::Get("Dates", "To"), "30");
    EXPECT_EQ(Settings::Get("Dates", "From"), "3/1/2026");
    EXPECT_EQ(Settings::Get("Settings", "Default"), "/data/plant.vkt");
}

TEST_F(RegistryTest, RandomBytesNeverCrashTheReader) {
    quint32 seed = 12345;
    for (int round = 0; round < 50; ++round) {
        QByteArray bytes;
        for (int i = 0; i < 300; ++i) {
            seed = seed * 1103515245u + 12345u;
            const char pool[] = "[]=\\\n\r;\"sz:dword:hex:\x00\xC3\xA9\xFF";
            bytes += pool[(seed >> 16) % (sizeof(pool) - 1)];
        }
        WriteUserFile(bytes);
        Settings::Get("Settings", "Default");
        basRegistry::GetRegValue(HKCU, kSettings, "Default");
        EXPECT_TRUE(Settings::Set("Settings", "Default", "ok"));
        EXPECT_EQ(Settings::Get("Settings", "Default"), "ok");
    }
}

TEST_F(RegistryTest, RootsAreSeparateAndOnlyPlainRootNamesAreAccepted) {
    ASSERT_TRUE(Settings::Set("Settings", "Path", "/home/a/"));
    aaxRegistry machine;
    machine.Root("HKEY_LOCAL_MACHINE");
    machine.OpenKey("Software\\Quillon\\Settings");
    EXPECT_EQ(machine.GetValue("Path"), "");

    aaxRegistry escape;
    escape.Root("../../outside");
    EXPECT_FALSE(escape.CreateKey("Software"));
    EXPECT_FALSE(escape.SetValue("x", "y"));
    EXPECT_FALSE(QFileInfo::exists(RegistryStore::ConfigFolder() + "/../../outside.ini"));
}

TEST_F(RegistryTest, KeyPathSeparatorsAtTheEndsDoNotMakeANewKey) {
    ASSERT_TRUE(Settings::Set("Tips", "DateFlag", "1"));
    EXPECT_EQ(RegistryStore::Read("HKEY_CURRENT_USER", "\\Software\\Quillon\\Tips\\", "DateFlag").text, "1");
}

TEST_F(RegistryTest, ConcurrentWritersLoseNoValue) {
    // Each write reads the file, changes it and writes it back; without the
    // lock two writers would each drop the other's value.
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w)
        writers.emplace_back([w] {
            for (int i = 0; i < 8; ++i) Settings::Set("Settings", QString("w%1_%2").arg(w).arg(i), "x");
        });
    for (auto& t : writers) t.join();
    for (int w = 0; w < 4; ++w)
        for (int i = 0; i < 8; ++i) EXPECT_EQ(Settings::Get("Settings", QString("w%1_%2").arg(w).arg(i)), "x");
}
