#include "support/Ui.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/GridView.h"
#include "support/TestEnv.h"

namespace TestUi {

void Settle() {
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

void ClickSettled(QPushButton* button) {
    Click(button);
    Settle();
}

void ClickRow(GridView* view, int row, int col, Qt::KeyboardModifiers mods) {
    view->Sync();
    QApplication::processEvents();
    const QRect cell = view->CellRect(row, col);
    ASSERT_TRUE(cell.isValid()) << "row " << row << ", column " << col;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, mods, cell.center());
}

QByteArray FileBytes(const QString& path) { return TestEnv::ReadAll(path); }

}  // namespace TestUi
