#pragma once
// Dialogs and shell for tests: answers are queued before the action, every
// call is recorded. A message box with no queued answer returns the box's
// default button (OK, Yes, or Retry), so a forgotten answer never hangs.

#include <QColor>
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Shell.h"

class ScriptedDialogs : public Dialogs {
public:
    struct Call {
        QString kind;     // "MsgBox", "InputBox", "Open", "Save", "Folder", "Color", "Choose", "Print"
        QString prompt;   // prompt or dialog title
        QString title;
        int style = 0;
        bool overMainWindow = false;   // the window it belongs to was on screen
    };

    // Queue answers; each is consumed by the next call of that kind.
    void AnswerMsgBox(int answer) { msg_.push_back(answer); }
    void AnswerInput(std::optional<QString> text) { input_.push_back(std::move(text)); }
    void AnswerOpen(const QString& path) { open_.push_back(path); }
    void AnswerSave(const QString& path) { save_.push_back(path); }
    void AnswerFolder(const QString& path) { folder_.push_back(path); }
    void AnswerColor(std::optional<QColor> colour) { color_.push_back(colour); }
    // The index of the button chosen; unanswered, the box's escape button.
    void AnswerChoose(int index) { choose_.push_back(index); }
    // What the user does in the print dialog. Unanswered, the dialog's
    // default: Print, on whatever it opened on.
    struct PrintAnswer {
        bool print = true;
        QString pdfFile;      // "Print to File (PDF)" with this name
        int copies = 0;       // 0: as offered
        int fromPage = 0, toPage = 0;   // a page range; 0: all pages
        QString pages;                  // or pages as typed: "1,3-4"
        std::optional<QPageLayout::Orientation> orientation;
        std::optional<QPageSize::PageSizeId> paper;
        static PrintAnswer ToFile(const QString& pdf) {
            PrintAnswer a;
            a.pdfFile = pdf;
            return a;
        }
    };
    void AnswerPrint(const PrintAnswer& answer) { print_.push_back(answer); }
    // What each print dialog offered when it opened.
    struct PrintOffer {
        QString printer;              // printer name, or the PDF file it would write
        bool toFile = false;
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
        int pageCount = 0;
    };
    const std::vector<PrintOffer>& PrintOffers() const { return offers_; }

    // The next `count` message boxes are the real, modal ones (still
    // recorded): for a test that works while a box is open and closes it.
    void ShowRealMsgBoxes(int count = 1) { realMsgBoxes_ = count; }
    // The next `count` input boxes likewise: a test types into them.
    void ShowRealInputBoxes(int count = 1) { realInputBoxes_ = count; }

    const std::vector<Call>& Calls() const { return calls_; }
    // The prompts of every message box so far.
    QStringList Messages() const;
    QString LastMessage() const;
    void Reset();

    int MsgBox(const QString& prompt, int style, const QString& title) override;
    // Each queued answer is typed in turn until `accept` takes one; none
    // taken is a cancel.
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText, const Acceptance& accept = {}) override;
    QString OpenFileName(const QString& title, const QString& filter, const QString& folder) override;
    QString SaveFileName(const QString& title, const QString& filter, const QString& folder) override;
    QString FolderName(const QString& title, const QString& folder) override;
    std::optional<QColor> Color(const QColor& initial, const QString& title) override;
    int Choose(const QString& prompt, const QString& title, const QStringList& buttons, int defaultButton,
               int escapeButton) override;
    bool PrintDialog(QPrinter& printer, int pageCount, const QString& title) override;

private:
    int realMsgBoxes_ = 0;
    int realInputBoxes_ = 0;
    std::deque<PrintAnswer> print_;
    std::vector<PrintOffer> offers_;
    std::deque<int> choose_;
    std::deque<int> msg_;
    std::deque<std::optional<QString>> input_;
    std::deque<QString> open_, save_, folder_;
    std::deque<std::optional<QColor>> color_;
    std::vector<Call> calls_;
};

class RecordingShell : public Shell {
public:
    struct Call {
        QString what;            // document or program
        QStringList args;
        QString folder;
    };
    bool OpenDocument(const QString& pathOrUrl) override;
    bool StartProgram(const QString& program, const QStringList& args,
                      const QString& workingFolder, Failed failed = {}) override;
    bool failOpen = false;       // OpenDocument answers "nothing could open it"
    QString failLater;           // a started program gives up soon after, saying this
    // OpenDocument also hands the address to the real xdg-open, as the
    // desktop services of a desktop session do (the offscreen platform the
    // tests run on has none).
    bool openForReal = false;
    std::vector<Call> opened;    // OpenDocument calls
    std::vector<Call> started;   // StartProgram calls
    void Reset() {
        opened.clear();
        started.clear();
        failOpen = false;
        failLater.clear();
        openForReal = false;
    }
};

// Where a page Quillon opened leads the browser: the address a forwarding
// page of the help sends it on to, else the address itself.
QString PageLeadsTo(const QString& pathOrUrl);
