#include "encoder/realtime_kit.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariant>

namespace sw::enc {

namespace {

// A thread waits this long for the answer before it starts its work at normal priority.
constexpr int kReplyTimeoutMs = 1000;

}  // namespace

bool MakeThreadHighPriority(pid_t tid, int nice) {
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.RealtimeKit1"),
        QStringLiteral("/org/freedesktop/RealtimeKit1"),
        QStringLiteral("org.freedesktop.RealtimeKit1"), QStringLiteral("MakeThreadHighPriority"));
    call << QVariant::fromValue(static_cast<qulonglong>(tid)) << QVariant::fromValue(nice);
    return bus.call(call, QDBus::Block, kReplyTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

}  // namespace sw::enc
