#pragma once
// Windows are global single instances: created (loaded) on first reference,
// shown by whoever needs them, and released when they close. Every loaded
// window is listed so that shutdown can unload them all.
//
//   Form6* f = Forms::Load<Form6>();     // loads (hidden) when not loaded
//   Form6* g = Forms::Loaded<Form6>();   // nullptr when not loaded
//   Forms::Unload<Form6>();

#include <QPointer>
#include <QWidget>
#include <vector>

namespace Forms {
// Every window created through Load, oldest first.
std::vector<QPointer<QWidget>>& All();
void Register(QWidget* window);
// Closes and destroys every loaded window, the main window last.
void UnloadAll();

template <class T>
struct Slot {
    static inline QPointer<T> instance;
};

template <class T>
T* Loaded() {
    return Slot<T>::instance.data();
}

template <class T>
T* Load() {
    if (!Slot<T>::instance) {
        T* w = new T;
        w->setAttribute(Qt::WA_DeleteOnClose);
        Slot<T>::instance = w;
        Register(w);
    }
    return Slot<T>::instance.data();
}

// Load and show modeless, raised to the front.
template <class T>
T* Show() {
    T* w = Load<T>();
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

template <class T>
void Unload() {
    if (T* w = Slot<T>::instance.data()) {
        Slot<T>::instance = nullptr;
        w->close();
        delete w;
    }
}

// Centres a window on the screen it is on (every dialog does on load).
void Centre(QWidget* window);
}
