#include "widgets/Skin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QWidget>

#include "platform/FileOps.h"

namespace Skin {

QString CurrentSkinPath() {
    return FileOps::Join(FileOps::DataFolder(), QStringLiteral("current.skm"));
}

QString ShippedSkinsFolder() { return QCoreApplication::applicationDirPath(); }

bool Load(const QString& path, QString* styleSheet, QString* error) {
    QByteArray bytes;
    QString reason;
    if (!FileOps::ReadFile(path, &bytes, &reason)) {
        if (error) *error = QStringLiteral("The skin \"%1\" cannot be read: %2").arg(path, reason);
        return false;
    }
    // A style sheet is text; a binary file would only garble the window.
    if (bytes.contains('\0')) {
        if (error) *error = QStringLiteral("\"%1\" is not a skin file.").arg(path);
        return false;
    }
    if (styleSheet) *styleSheet = QString::fromUtf8(bytes);
    return true;
}

bool ApplyCurrent(QWidget* window) {
    if (!QFileInfo(CurrentSkinPath()).isFile()) return false;
    QString sheet;
    if (!Load(CurrentSkinPath(), &sheet, nullptr)) return false;
    Apply(window, sheet);
    return true;
}

void Apply(QWidget* window, const QString& styleSheet) {
    if (!window->styleSheet().isEmpty()) {
        window->setStyleSheet(QString());
        // Qt hands a style sheet's font straight to the inner parts of a
        // box, and nothing takes it back when the sheet goes; only fonts the
        // windows chose themselves are kept.
        for (QWidget* w : window->findChildren<QWidget*>())
            if (!w->testAttribute(Qt::WA_SetFont)) w->setFont(QFont());
    }
    window->setStyleSheet(styleSheet);
}

bool MakeCurrent(const QString& path, QString* error) {
    const QString target = CurrentSkinPath();
    // Copying the current skin onto itself would truncate it first.
    const QString from = QFileInfo(path).canonicalFilePath();
    if (!from.isEmpty() && from == QFileInfo(target).canonicalFilePath()) return true;
    QByteArray bytes;
    QString reason;
    if (!FileOps::ReadFile(path, &bytes, &reason)) {
        if (error) *error = QStringLiteral("The skin \"%1\" cannot be read: %2").arg(path, reason);
        return false;
    }
    if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !FileOps::WriteFileSafely(target, bytes, &reason)) {
        if (error) *error = QStringLiteral("The skin could not be kept as \"%1\": %2").arg(target, reason);
        return false;
    }
    return true;
}
}  // namespace Skin
