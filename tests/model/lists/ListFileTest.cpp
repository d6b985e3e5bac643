#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "model/lists/ListFile.h"
#include "support/TestEnv.h"

namespace {

using TestEnv::ReadAll;
using TestEnv::WriteAll;

QStringList Values(const std::vector<ListEntry>& entries) {
    QStringList out;
    for (const auto& e : entries) out << e.value;
    return out;
}

class ListFileTest : public QuillonTest {
protected:
    QString Path() const { return temp_ + "/Plant.ini"; }
};

TEST_F(ListFileTest, MissingFileListsNothingAndWritesKeepOrderAndReplaceInPlace) {
    ListFile file(Path());
    EXPECT_TRUE(file.Entries(ListSection::Employees).empty());
    EXPECT_FALSE(QFile::exists(Path())) << "listing never creates the file";

    ASSERT_TRUE(file.Add(ListSection::Equipment, "Lathe", "255"));
    EXPECT_EQ(ReadAll(Path()), QByteArray("[Equipment]\nLathe=255\n"));
    for (const char* n : {"Ann", "Ben", "Cy"}) ASSERT_TRUE(file.Add(ListSection::Employees, n, "1"));
    // A name already listed keeps its place and takes the new colour; the
    // same name in other letters is turned away and changes nothing.
    ASSERT_TRUE(file.Add(ListSection::Employees, "Ben", QString::number(ListFile::kButtonFace)));
    EXPECT_FALSE(file.Add(ListSection::Employees, "cy", "16711680"));
    EXPECT_TRUE(file.Refused());
    EXPECT_EQ(file.LastError(), "\"Cy\" is already in the list.");
    const auto e = file.Entries(ListSection::Employees);
    EXPECT_EQ(file.Names(ListSection::Employees), QStringList({"Ann", "Ben", "Cy"}));
    EXPECT_EQ(Values(e), QStringList({"1", "-2147483633", "1"}));
    EXPECT_EQ(e[1].Colour(), ListFile::kButtonFace);
    EXPECT_EQ(file.Names(ListSection::Equipment), QStringList({"Lathe"}));
    EXPECT_TRUE(file.Entries(ListSection::Types).empty());
}

TEST_F(ListFileTest, DeleteRemovesOnlyTheChosenEntriesFromTheFileAsItIsNow) {
    WriteAll(Path(), "; kept by hand\n[Employees]\nAnn=255\nBen = blue\nCy=-2147483633\nDee=65280\n\n"
                     "[Equipment]\nLathe=12\n");
    ListFile shown(Path());
    ASSERT_EQ(shown.Names(ListSection::Employees), QStringList({"Ann", "Ben", "Cy", "Dee"}));
    // Another window adds an entry after this list was read.
    ASSERT_TRUE(ListFile(Path()).Add(ListSection::Employees, "Eve", "7"));

    ASSERT_TRUE(shown.Delete(ListSection::Employees, {{"Ann"}, {"Cy"}}));
    const auto e = shown.Entries(ListSection::Employees);
    EXPECT_EQ(shown.Names(ListSection::Employees), QStringList({"Ben", "Dee", "Eve"}));
    EXPECT_EQ(Values(e), QStringList({"blue", "65280", "7"}));
    EXPECT_FALSE(e[0].Colour().has_value());
    EXPECT_TRUE(ReadAll(Path()).startsWith("; kept by hand\n[Employees]\nBen = blue\n"));
    // A name deleted meanwhile by another window is no error.
    EXPECT_TRUE(shown.Delete(ListSection::Employees, {{"Ann"}}));

    // The last entries go with their section; the file stays valid.
    ASSERT_TRUE(shown.Delete(ListSection::Employees, {{"Ben"}, {"Dee"}, {"Eve"}}));
    EXPECT_TRUE(shown.Entries(ListSection::Employees).empty());
    EXPECT_FALSE(ReadAll(Path()).contains("[Employees]"));
    EXPECT_EQ(shown.Names(ListSection::Equipment), QStringList({"Lathe"}));
    ASSERT_TRUE(shown.Add(ListSection::Employees, "Fay", "1"));
    EXPECT_EQ(shown.Names(ListSection::Employees), QStringList({"Fay"}));
}

TEST_F(ListFileTest, FileWrittenOnWindowsReadsAndKeepsItsLineEnds) {
    // CRLF, Windows-1252 ("M\xfcller" is Müller), blanks around "=", an
    // entry without a name (not listed).
    WriteAll(Path(), "[Employees]\r\nM\xfcller = 255\r\n=9\r\nO'Brien=16711680\r\n\r\n[Types]\r\nInspection=\r\n");
    ListFile file(Path());
    const QString mueller = QString::fromUtf8("M\xc3\xbcller");
    EXPECT_EQ(file.Names(ListSection::Employees), QStringList({mueller, "O'Brien"}));
    EXPECT_EQ(Values(file.Entries(ListSection::Employees)), QStringList({"255", "16711680"}));
    EXPECT_EQ(file.Names(ListSection::Types), QStringList({"Inspection"}));

    ASSERT_TRUE(file.Add(ListSection::Employees, "Ng", "1"));
    EXPECT_EQ(file.Names(ListSection::Employees), QStringList({mueller, "O'Brien", "Ng"}));
    EXPECT_TRUE(ReadAll(Path()).contains("Ng=1\r\n"));
}

TEST_F(ListFileTest, NamesThatCannotReadBackAreRefusedAndFailedWritesReported) {
    ListFile file(Path());
    for (const QString& name : {QString(), QStringLiteral("   "), QStringLiteral(" Ann"), QStringLiteral("Ann "),
                                QStringLiteral("a=b"), QStringLiteral("[Equipment]"), QStringLiteral(";note"),
                                QStringLiteral("\"q\""), QStringLiteral("tab\there"), QStringLiteral("a\nb")}) {
        EXPECT_FALSE(file.Add(ListSection::Employees, name, "1")) << name.toStdString();
        EXPECT_FALSE(file.LastError().isEmpty());
    }
    EXPECT_FALSE(QFile::exists(Path()));

    const QStringList accepted = {"O'Brien, J.", QString::fromUtf8("\xc3\x9cnal \xc3\x87" "elik"),
                                  "Pump #3 [north]", "a;b", "50% \"rated\"", "#1"};
    for (const QString& name : accepted) EXPECT_TRUE(file.Add(ListSection::Equipment, name, "5"));
    EXPECT_EQ(file.Names(ListSection::Equipment), accepted);

    // A folder where the file should be: nothing is read or written.
    ListFile blocked(temp_ + "/Blocked.ini");
    QDir().mkpath(blocked.Path());
    EXPECT_TRUE(blocked.Entries(ListSection::Types).empty());
    EXPECT_FALSE(blocked.Add(ListSection::Types, "Safety", ""));
    EXPECT_FALSE(blocked.LastError().isEmpty());
    EXPECT_FALSE(blocked.Delete(ListSection::Types, {{"Safety"}}));
}

}  // namespace
