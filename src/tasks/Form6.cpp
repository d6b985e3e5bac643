#include "tasks/Form6.h"

#include <QFormLayout>
#include <QLineEdit>

// TODO: the task editor proper (fields, items, materials, document, Save)
// replaces this frame, which only holds the fields the pickers fill.
Form6::Form6() {
    setWindowTitle(QStringLiteral("Add Task"));
    auto* form = new QFormLayout(this);
    Text1 = new QLineEdit(this);
    Text2 = new QLineEdit(this);
    Text3 = new QLineEdit(this);
    Text4 = new QLineEdit(this);
    Text5 = new QLineEdit(this);
    Combo1 = new QLineEdit(this);
    form->addRow(QStringLiteral("Task ID"), Text1);
    form->addRow(QStringLiteral("Equipment"), Text2);
    form->addRow(QStringLiteral("Assigned To"), Text3);
    form->addRow(QStringLiteral("Requested By"), Text5);
    form->addRow(QStringLiteral("Type"), Combo1);
    Text4->hide();
}

Form6::~Form6() = default;
