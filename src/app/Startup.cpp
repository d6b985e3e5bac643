#include "app/Startup.h"

#include "app/Form1.h"

bool StartQuillon() {
    auto* main = new Form1;
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->Form_Load();
    if (Form1::Get() && !main->isVisible()) main->show();
    return true;
}
