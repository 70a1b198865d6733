#include "cli/interrupt_signal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

int g_writeEnd = -1;

void onSignal(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    // Nothing to do if the pipe is full: a signal is already waiting to be read.
    [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &byte, 1);
}

}  // namespace

InterruptSignal::InterruptSignal(QObject* parent) : QObject(parent) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    readEnd_ = sw::UniqueFd(ends[0]);
    writeEnd_ = sw::UniqueFd(ends[1]);
    g_writeEnd = writeEnd_.get();
    notifier_ = new QSocketNotifier(readEnd_.get(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(readEnd_.get(), &byte, 1) == 1) {
            if (received_ == 0) {
                received_ = byte;
            }
            Q_EMIT interrupted(byte);
        }
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

InterruptSignal::~InterruptSignal() {
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    g_writeEnd = -1;
    delete notifier_;
}
