#pragma once

#include "common/unique_fd.h"

#include <QObject>
#include <QSocketNotifier>

// SIGINT and SIGTERM as a Qt signal on the event loop's thread: the handler only writes to a
// pipe, which the loop reads.
class InterruptSignal : public QObject {
    Q_OBJECT
public:
    explicit InterruptSignal(QObject* parent = nullptr);
    ~InterruptSignal() override;
    InterruptSignal(const InterruptSignal&) = delete;
    InterruptSignal& operator=(const InterruptSignal&) = delete;

    // The first signal that came, 0 while none has.
    int received() const { return received_; }

Q_SIGNALS:
    void interrupted(int signal);

private:
    sw::UniqueFd readEnd_;
    sw::UniqueFd writeEnd_;
    QSocketNotifier* notifier_ = nullptr;
    int received_ = 0;
};
