#include "app/BusyGuard.h"

#include <QApplication>

#include "model/database/TaskDatabase.h"

BusyGuard::BusyGuard(TaskDatabase& database, QObject* holder) : database_(&database), holder_(holder) {
    database_->BeginBusy();
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyGuard::~BusyGuard() {
    if (holder_) database_->EndBusy();
    QApplication::restoreOverrideCursor();
}

void YieldToEvents() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }
