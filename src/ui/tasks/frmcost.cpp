#include "ui/tasks/frmcost.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Dialogs.h"
#include "widgets/Forms.h"

namespace {
using Quillon::kTitle;

// A box whose whole text is selected when it is entered, by Tab (as a line
// edit does anyway) or by a click, so that typing replaces the "0" it
// starts with instead of being added to it. A click into a box that
// already has the focus places the cursor as usual.
class SelectOnEntry : public QObject {
public:
    explicit SelectOnEntry(QLineEdit* box) : QObject(box), box_(box) { box->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::FocusIn:
            enteredByClick_ = static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason;
            break;
        case QEvent::MouseButtonRelease:
            // After the click has placed the cursor; a drag selected on purpose.
            if (enteredByClick_ && !box_->hasSelectedText()) box_->selectAll();
            enteredByClick_ = false;
            break;
        case QEvent::FocusOut:
            enteredByClick_ = false;
            break;
        default:
            break;
        }
        return false;
    }

private:
    QLineEdit* box_;
    bool enteredByClick_ = false;
};
}

frmcost::frmcost() {
    setWindowTitle(QStringLiteral("Material And Cost"));
    SkinLabel4 = new QLabel(QStringLiteral("0"), this);
    SkinLabel4->hide();
    Text1 = new QLineEdit(this);
    Text2 = new QLineEdit(QStringLiteral("0"), this);
    new SelectOnEntry(Text2);
    Command2 = new QPushButton(QStringLiteral("&Save"), this);
    Command1 = new QPushButton(QStringLiteral("&Cancel"), this);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Material"), this), 0, 0);
    fields->addWidget(Text1, 0, 1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("Cost"), this), 1, 0);
    fields->addWidget(new QLabel(QStringLiteral("$"), this), 1, 1);
    fields->addWidget(Text2, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    setTabOrder(Text1, Text2);

    connect(Command1, &QPushButton::clicked, this, &frmcost::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmcost::Command2_Click);

    Forms::Prepare(this);
}

frmcost::~frmcost() = default;

void frmcost::Bind(quint64 taskGeneration, quint64 materialRowsVersion, int row) {
    taskGeneration_ = taskGeneration;
    materialRowsVersion_ = materialRowsVersion;
    row_ = row;
    bound_ = true;
}

void frmcost::Release() {
    Forms::Forget(this);
    close();
}

void frmcost::reject() { Release(); }

void frmcost::closeEvent(QCloseEvent* event) {
    // Not QDialog's: it would route the close through reject() again.
    Forms::Forget(this);
    event->accept();
}

void frmcost::Command1_Click() { Release(); }

void frmcost::Command2_Click() {
    if (Text1->text().isEmpty()) {
        MsgBox(QStringLiteral("No Material Entered"), vb::vbOKOnly, kTitle);
        Text1->setFocus();
        return;
    }
    if (Text2->text().isEmpty()) {
        MsgBox(QStringLiteral("No Cost Entered"), vb::vbOKOnly, kTitle);
        Text2->setFocus();
        return;
    }
    // Nobody to take it: the editor that opened the dialog is gone.
    if (!isSignalConnected(QMetaMethod::fromSignal(&frmcost::MaterialEntered))) {
        MsgBox(QStringLiteral("The task editor no longer shows the task this material was for; it was not saved."),
               vb::vbExclamation, kTitle);
        Release();
        return;
    }
    emit MaterialEntered(this);
}
