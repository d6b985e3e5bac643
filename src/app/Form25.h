#pragma once
// The splash window shown while the main window starts.
#include <QWidget>

class Form25 : public QWidget {
    Q_OBJECT
public:
    Form25();
    ~Form25() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
