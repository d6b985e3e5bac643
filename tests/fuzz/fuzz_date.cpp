// The date reader: the reader of grid cells (UTF-8) and the reader of text
// (the editor's) agree on every input, and a date read is written back in a
// form that reads as the same day.
#include "FuzzTarget.h"

#include <QLocale>
#include <QString>

#include "platform/DateText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 256) return 0;   // cells hold short dates; long inputs only slow the search
    static const bool ready = [] {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        DateText::ResetCache();
        return true;
    }();
    (void)ready;
    const std::string cell(reinterpret_cast<const char*>(data), size);
    const QString text = QString::fromUtf8(cell.data(), qsizetype(cell.size()));
    const auto fromCell = DateText::ParseDateUtf8(cell);
    const auto fromText = DateText::ParseDate(text);
    // Bytes that are not UTF-8 are compared as the text they decode to.
    if (QString::fromUtf8(text.toUtf8()) == text && text.toUtf8() == QByteArray::fromStdString(cell))
        FUZZ_CHECK(fromCell == fromText);
    if (fromText) {
        FUZZ_CHECK(fromText->isValid());
        FUZZ_CHECK(DateText::ParseDate(DateText::FormatDate(*fromText)) == fromText);
    }
    (void)DateText::ParseTime(text);
    if (const auto dt = DateText::ParseDateTime(text)) FUZZ_CHECK(dt->isValid());
    return 0;
}

std::vector<std::string> QuillonFuzzSeeds() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    DateText::ResetCache();
    const QDate day(2026, 3, 1);
    return {DateText::FormatDate(day).toStdString(),
            DateText::FormatGeneral(QDateTime(day, QTime(8, 30))).toStdString(),
            DateText::FormatTime(QTime(23, 59, 59)).toStdString(),
            "2026-03-01T08:00:00Z",
            "03\xC2\xA0" "01\xC2\xA0" "2026",
            "March 1, 2026",
            "2026. 03. 01.",
            "3/1/26 8:00 PM"};
}
