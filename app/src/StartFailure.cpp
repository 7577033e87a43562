#include "StartFailure.h"

#include "GracefulExit.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace miran::app {

int ReportStartFailure(const std::string& message) {
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(),
                    QString::fromLocal8Bit(message), QMessageBox::Ok);
    CloseOnTerminationSignals(box);
    box.exec();
    return kStartFailureExitCode;
}

} // namespace miran::app
