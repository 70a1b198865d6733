#include "encoder_test_support.h"
#include "support/audio_fixtures.h"
#include "support/tool_process.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <sched.h>

#include <algorithm>

namespace enctest {

using sw::enc::Encoder;
using sw::enc::RunState;

sw::enc::EncodeRequest Request(const QString& source, const QString& output, int profileIndex) {
    sw::enc::EncodeRequest request;
    request.source = source;
    request.output = output;
    request.profile = sw::enc::ProfileCollection().item(profileIndex).name();
    return request;
}

States WaitForEnd(Encoder& encoder) {
    QSignalSpy spy(&encoder, &Encoder::stateChanged);
    States states;
    QElapsedTimer guard;
    guard.start();
    while (states.empty() || states.back() != RunState::Stopped) {
        if (spy.isEmpty() && !spy.wait(1000) && guard.elapsed() > 300000) {
            ADD_FAILURE() << "the run never reached Stopped; states seen: " << states.size();
            break;
        }
        while (!spy.isEmpty())
            states.push_back(spy.takeFirst().at(0).value<RunState>());
    }
    return states;
}

States Encode(Encoder& encoder, const QString& source, const QString& output, int profileIndex) {
    encoder.start(Request(source, output, profileIndex));
    return WaitForEnd(encoder);
}

sw::ErrorCode StartError(Encoder& encoder, const sw::enc::EncodeRequest& request) {
    try {
        encoder.start(request);
    } catch (const sw::Error& error) {
        EXPECT_FALSE(error.text().isEmpty());
        return error.code();
    }
    encoder.stop();
    WaitForEnd(encoder);
    return sw::ErrorCode::None;
}

StreamFormat ProbeStreamFormat(const QString& path) {
    const testsupport::ToolRun probe = testsupport::RunProgram(
        QStringLiteral("ffprobe"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
         QStringLiteral("a:0"), QStringLiteral("-show_entries"),
         QStringLiteral("stream=sample_rate,channels"), QStringLiteral("-of"),
         QStringLiteral("csv=p=0"), path});
    const QStringList fields = QString::fromUtf8(probe.out).trimmed().split(QLatin1Char(','));
    if (probe.exitCode != 0 || fields.size() != 2)
        return {};
    return StreamFormat{fields[0].toInt(), fields[1].toInt()};
}

ThreadSchedule LowestThreadSchedule() {
    ThreadSchedule lowest;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(tid + QStringLiteral("/stat")));
        if (!stat.open(QIODevice::ReadOnly))
            continue;  // the thread has ended meanwhile
        const QByteArray line = stat.readAll();
        // Fields after the command's closing parenthesis, from field 3 (state) on.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 39)
            continue;
        lowest.nice = std::min(lowest.nice, fields[16].toInt());                       // field 19
        lowest.otherPolicy = lowest.otherPolicy || fields[38].toInt() != SCHED_OTHER;  // 41
    }
    return lowest;
}

QByteArray PacketList(const QString& path) {
    const testsupport::ToolRun tool = testsupport::RunProgram(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
         QStringLiteral("-i"), path, QStringLiteral("-c"), QStringLiteral("copy"),
         QStringLiteral("-f"), QStringLiteral("framemd5"), QStringLiteral("-")});
    return tool.exitCode == 0 ? tool.out : QByteArray();
}

}  // namespace enctest
