// Test entry point: one QApplication for the process (offscreen in ctest),
// fresh temporary config and data folders, and the scripted dialogs and
// shell installed so nothing ever waits on a person.
#include <QApplication>
#include <gtest/gtest.h>

#include "widgets/GridView.h"
#include "support/TestEnv.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestEnv::PrepareProcess();
    QApplication app(argc, argv);
    // Columns are fitted with the font, as in the program.
    Grid::SetTextMeasure(&GridView::FontTextWidth, &GridView::FontAsciiAdvances);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new TestEnv::GlobalEnvironment);
    return RUN_ALL_TESTS();
}
