#include <QApplication>

#include "app/Startup.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setOrganizationName(QStringLiteral("Quillon"));
    if (!StartQuillon()) return 1;
    return app.exec();
}
