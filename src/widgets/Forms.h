#pragma once
// Windows are global single instances: created (loaded) on first reference,
// shown by whoever needs them, and released when they close. Every loaded
// window is listed so that shutdown can unload them all.
//
//   Form6* f = Forms::Load<Form6>(db);   // loads (hidden) when not loaded
//   Form6* g = Forms::Loaded<Form6>();   // nullptr when not loaded
//   Forms::Unload<Form6>();

#include <QPointer>
#include <QWidget>
#include <utility>
#include <vector>

namespace Forms {
// Every window created through Load, oldest first.
std::vector<QPointer<QWidget>>& All();
// Lists the window, and keeps its Tab order (KeepReadingTabOrder).
void Register(QWidget* window);
// Each time the window is shown, Tab is made to walk its controls as they
// are laid out: top to bottom, and left to right along a line, whatever
// order they were made in (unless the window keeps an order of its own,
// KeepTabOrder). Buttons of its toolbars take the focus too, so a
// keyboard reaches them. Return typed in a field presses the window's
// default button only when one was made so before it first showed, never a
// button a dialog picked for itself. (Every window loaded here has it; a
// window made elsewhere asks for it.)
void KeepReadingTabOrder(QWidget* window);
// The controls inside `area` that Tab stops at, in that reading order.
std::vector<QWidget*> ReadingOrder(QWidget* area);
// Makes Tab go from each control of the list to the next.
void ChainTabOrder(const std::vector<QWidget*>& controls);
// A window whose controls take the focus in an order of their own, not the
// order they are laid out in: Tab walks `controls` in this order, from the
// last back to the first, every time the window shows. Controls left out
// (the pages of a tab widget not listed) follow the last one.
void KeepTabOrder(QWidget* window, const std::vector<QWidget*>& controls);
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

// Arguments go to the constructor when the window is loaded now (the
// database or row a window works on); a loaded window keeps its own.
template <class T, class... Args>
T* Load(Args&&... args) {
    if (!Slot<T>::instance) {
        T* w = new T(std::forward<Args>(args)...);
        w->setAttribute(Qt::WA_DeleteOnClose);
        Slot<T>::instance = w;
        Register(w);
    }
    return Slot<T>::instance.data();
}

// Shows a loaded window modeless, raised to the front.
template <class T>
T* Raise(T* w) {
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

// Load and show modeless, raised to the front.
template <class T, class... Args>
T* Show(Args&&... args) {
    return Raise(Load<T>(std::forward<Args>(args)...));
}

template <class T>
void Unload() {
    if (T* w = Slot<T>::instance.data()) {
        Slot<T>::instance = nullptr;
        w->close();
        delete w;
    }
}

// A window that is closing stops being its class's single instance, so the
// next Load makes a fresh one.
template <class T>
void Forget(T* window) {
    if (Slot<T>::instance.data() == window) Slot<T>::instance = nullptr;
}

// Centres a window on the screen it is on (every dialog does on load).
void Centre(QWidget* window);

// What every window's load ends with: the current skin, its size (`size`,
// or the layout's natural size when none is given) and centred.
void Prepare(QWidget* window, const QSize& size = QSize());
}
