#include "platform/Forms.h"

#include <QApplication>
#include <QScreen>

#include "platform/Skin.h"

namespace Forms {

std::vector<QPointer<QWidget>>& All() {
    static std::vector<QPointer<QWidget>> all;
    return all;
}

void Register(QWidget* window) {
    auto& all = All();
    all.erase(std::remove_if(all.begin(), all.end(), [](const QPointer<QWidget>& p) { return p.isNull(); }),
              all.end());
    all.emplace_back(window);
}

void UnloadAll() {
    // Copy first: closing a window may load or unload others.
    std::vector<QPointer<QWidget>> windows = All();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (QWidget* w = it->data()) {
            w->hide();
            delete w;
        }
    }
    All().clear();
}

void Centre(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size().isValid() ? window->frameGeometry().size() : window->size();
    window->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

void Prepare(QWidget* window, const QSize& size) {
    Skin::ApplyCurrent(window);
    if (size.isValid()) window->resize(size);
    else window->adjustSize();
    Centre(window);
}

}  // namespace Forms
