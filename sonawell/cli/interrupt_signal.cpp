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
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    g_writeEnd = pipe_[1];
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(pipe_[0], &byte, 1) == 1) {
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
    for (const int fd : pipe_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}
