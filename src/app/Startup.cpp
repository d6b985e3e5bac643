#include "app/Startup.h"

#include "app/Form1.h"
#include "platform/Dialogs.h"
#include "widgets/GridView.h"

bool StartQuillon() {
    Dialogs::Install(std::make_unique<QtDialogs>());
    Grid::SetTextMeasure(&GridView::FontTextWidth, &GridView::FontAsciiAdvances);
    auto* main = new Form1;
    main->setAttribute(Qt::WA_DeleteOnClose);
    // Form_Load shows the window itself (unless it starts in the tray).
    main->Form_Load();
    return true;
}
