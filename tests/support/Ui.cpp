#include "support/Ui.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QToolBar>
#include <gtest/gtest.h>
#include <zip.h>

#include "widgets/GridPrint.h"
#include "widgets/GridView.h"
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

void ClickAction(QToolBar* bar, QAction* action) {
    ASSERT_NE(bar, nullptr);
    QWidget* button = bar->widgetForAction(action);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

std::vector<GridPrint::PrintPreview*> ShownPreviews() {
    std::vector<GridPrint::PrintPreview*> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<GridPrint::PrintPreview*>(w); p && p->isVisible()) shown.push_back(p);
    return shown;
}

QRect CellRect(const GridView* view, int row, int col) {
    const auto* model = qobject_cast<const GridModel*>(view->model());
    const int viewRow = model ? model->ViewRow(row) : -1;
    if (viewRow < 0) return {};
    return view->visualRect(model->index(viewRow, col));
}

void ClickRow(GridView* view, int row, int col, Qt::KeyboardModifiers mods) {
    view->Sync();
    QApplication::processEvents();
    const QRect cell = CellRect(view, row, col);
    ASSERT_TRUE(cell.isValid()) << "row " << row << ", column " << col;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, mods, cell.center());
}

void TypeTime(QTimeEdit* edit, const QString& hhmm) {
    QApplication::setActiveWindow(edit->window());
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(6, edit->height() / 2));
    QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClicks(edit, hhmm);
}

QByteArray FileBytes(const QString& path) { return TestEnv::ReadAll(path); }

QByteArray SheetXml(const QString& path) {
    QByteArray all;
    int err = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &err);
    if (!z) return all;
    for (const char* name : {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml"}) {
        zip_stat_t st;
        if (zip_stat(z, name, 0, &st) != 0) continue;
        zip_file_t* f = zip_fopen(z, name, 0);
        QByteArray data(qsizetype(st.size), '\0');
        zip_fread(f, data.data(), st.size);
        zip_fclose(f);
        all += data;
    }
    zip_close(z);
    return all;
}

}  // namespace TestUi
