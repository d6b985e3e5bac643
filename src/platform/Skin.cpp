#include "platform/Skin.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QWidget>

namespace Skin {

QString CurrentSkinPath() {
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/current.skm";
    if (QFile::exists(user)) return user;
    return QCoreApplication::applicationDirPath() + "/current.skm";
}

bool ApplyCurrent(QWidget* window) {
    QFile f(CurrentSkinPath());
    if (!f.open(QIODevice::ReadOnly)) return false;
    window->setStyleSheet(QString::fromUtf8(f.readAll()));
    return true;
}

}  // namespace Skin
