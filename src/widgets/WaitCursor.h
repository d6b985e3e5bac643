#pragma once
// The hourglass for as long as the guard lives, so it comes back on every
// path out of a command; Restore() gives the pointer back early (before a
// message box, say).

#include <QApplication>

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { Restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void Restore() {
        if (on_) QApplication::restoreOverrideCursor();
        on_ = false;
    }

private:
    bool on_ = true;
};
