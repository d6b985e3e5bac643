#include "support/ScriptedDialogs.h"

#include <QFile>
#include <QPageRanges>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>
#include <QWidget>

QStringList ScriptedDialogs::Messages() const {
    QStringList out;
    for (const auto& c : calls_)
        if (c.kind == QLatin1String("MsgBox")) out << c.prompt;
    return out;
}

QString ScriptedDialogs::LastMessage() const {
    const QStringList all = Messages();
    return all.isEmpty() ? QString() : all.last();
}

void ScriptedDialogs::Reset() {
    print_.clear(); offers_.clear();
    msg_.clear(); choose_.clear(); input_.clear(); open_.clear(); save_.clear(); folder_.clear(); color_.clear();
    calls_.clear();
    realMsgBoxes_ = 0;
    realInputBoxes_ = 0;
}

int ScriptedDialogs::MsgBox(const QString& prompt, int style, const QString& title) {
    QWidget* parent = Dialogs::ParentWindow();
    calls_.push_back({QStringLiteral("MsgBox"), prompt, title, style, parent && parent->isVisible()});
    if (realMsgBoxes_ > 0) {
        --realMsgBoxes_;
        return QtDialogs().MsgBox(prompt, style, title);
    }
    if (!msg_.empty()) {
        int a = msg_.front();
        msg_.pop_front();
        return a;
    }
    switch (style & 7) {
    case vb::vbYesNo: case vb::vbYesNoCancel: return vb::vbYes;
    case vb::vbRetryCancel: return vb::vbRetry;
    case vb::vbAbortRetryIgnore: return vb::vbAbort;
    default: return vb::vbOK;
    }
}

std::optional<QString> ScriptedDialogs::InputBox(const QString& prompt, const QString& title,
                                                 const QString& defaultText, const Acceptance& accept) {
    calls_.push_back({QStringLiteral("InputBox"), prompt, title, 0});
    if (realInputBoxes_ > 0) {
        --realInputBoxes_;
        return QtDialogs().InputBox(prompt, title, defaultText, accept);
    }
    while (!input_.empty()) {
        const std::optional<QString> answer = input_.front();
        input_.pop_front();
        if (!answer) return std::nullopt;
        if (!accept || accept(*answer)) return answer;
    }
    return std::nullopt;
}

static QString Take(std::deque<QString>& q) {
    if (q.empty()) return QString();
    QString a = q.front();
    q.pop_front();
    return a;
}

QString ScriptedDialogs::OpenFileName(const QString& title, const QString& filter, const QString&) {
    calls_.push_back({QStringLiteral("Open"), title, filter, 0});
    return Take(open_);
}

QString ScriptedDialogs::SaveFileName(const QString& title, const QString& filter, const QString&) {
    calls_.push_back({QStringLiteral("Save"), title, filter, 0});
    return Take(save_);
}

QString ScriptedDialogs::FolderName(const QString& title, const QString&) {
    calls_.push_back({QStringLiteral("Folder"), title, QString(), 0});
    return Take(folder_);
}

std::optional<QColor> ScriptedDialogs::Color(const QColor&, const QString& title) {
    calls_.push_back({QStringLiteral("Color"), title, QString(), 0});
    if (color_.empty()) return std::nullopt;
    auto a = color_.front();
    color_.pop_front();
    return a;
}

int ScriptedDialogs::Choose(const QString& prompt, const QString& title, const QStringList&, int,
                            int escapeButton) {
    calls_.push_back({QStringLiteral("Choose"), prompt, title, 0});
    // Unanswered, the way out: a loop that asks again never spins.
    if (choose_.empty()) return escapeButton;
    const int a = choose_.front();
    choose_.pop_front();
    return a;
}

bool ScriptedDialogs::PrintDialog(QPrinter& printer, int pageCount, const QString& title) {
    calls_.push_back({QStringLiteral("Print"), title, title, 0, Dialogs::ParentWindow() && Dialogs::ParentWindow()->isVisible()});
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    offers_.push_back({toFile ? printer.outputFileName() : printer.printerName(), toFile,
                       printer.pageLayout().orientation(), pageCount});
    if (print_.empty()) return true;
    const PrintAnswer a = print_.front();
    print_.pop_front();
    if (!a.print) return false;
    // As the dialog does: a file, copies, a page range.
    if (!a.pdfFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(a.pdfFile);
    }
    if (a.paper) printer.setPageSize(QPageSize(*a.paper));
    if (a.orientation) printer.setPageOrientation(*a.orientation);
    if (a.copies > 0) printer.setCopyCount(a.copies);
    if (a.fromPage > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(a.fromPage, a.toPage);
    }
    if (!a.pages.isEmpty()) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setPageRanges(QPageRanges::fromString(a.pages));
    }
    return true;
}

bool RecordingShell::OpenDocument(const QString& pathOrUrl) {
    opened.push_back({pathOrUrl, {}, {}});
    if (openForReal && !failOpen)
        return QProcess::startDetached(QStringLiteral("xdg-open"),
                                       {QString::fromLatin1(DesktopShell::UrlFor(pathOrUrl).toEncoded())});
    return !failOpen;
}

QString PageLeadsTo(const QString& pathOrUrl) {
    QFile page(pathOrUrl);
    if (!page.open(QIODevice::ReadOnly)) return pathOrUrl;
    static const QRegularExpression refresh(R"(<meta http-equiv="refresh" content="0; url='([^']*)'">)");
    const QRegularExpressionMatch m = refresh.match(QString::fromUtf8(page.readAll()));
    if (!m.hasMatch()) return pathOrUrl;
    QString target = m.captured(1);
    target.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return QUrl::fromEncoded(target.toUtf8()).toString();
}

bool RecordingShell::StartProgram(const QString& program, const QStringList& args,
                                  const QString& workingFolder, Failed failed) {
    started.push_back({program, args, workingFolder});
    if (!failLater.isEmpty() && failed) QTimer::singleShot(0, [failed, reason = failLater] { failed(reason); });
    return true;
}
