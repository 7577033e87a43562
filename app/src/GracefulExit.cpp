#include "GracefulExit.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace miran::app {

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    char byte = 1;
    [[maybe_unused]] ssize_t written = write(signalPipe[1], &byte, 1);
}

} // namespace

void CloseOnTerminationSignals(QWidget& window) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte;
        [[maybe_unused]] ssize_t read = ::read(signalPipe[0], &byte, 1);
        // A modal box runs a loop of its own: end it, or the program would wait for the box.
        while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->reject();
            if (dialog->isVisible())
                break;
        }
        window.close();
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace miran::app
