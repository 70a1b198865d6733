#include "encoder_test_support.h"

#include <QApplication>
#include <QTest>

extern "C" {
#include <libavutil/log.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The child of the full-disk test: encodes one file under the file-size limit its parent set and
// reports the outcome in its exit code (0 completed, 1 failed, 2 stopped, 3 refused) and the
// reason on standard output.
int EncodeInChild(const char* source, const char* output) {
    sw::enc::Encoder encoder;
    try {
        enctest::Encode(encoder, QString::fromLocal8Bit(source), QString::fromLocal8Bit(output));
    } catch (const sw::Error& error) {
        std::fputs(error.what(), stdout);
        return 3;
    }
    std::fputs(encoder.lastError().text().toUtf8().constData(), stdout);
    switch (encoder.lastOutcome()) {
        case sw::enc::RunOutcome::Completed:
            return 0;
        case sw::enc::RunOutcome::Stopped:
            return 2;
        default:
            return 1;
    }
}

// The child of the priority fallback test: encodes one file with the conversion threads at
// High and prints what the run's threads got: the lowest nice value and whether one left
// SCHED_OTHER, sampled while the run goes on, and the encoder's note and setting afterwards.
int HighPriorityChild(const char* source, const char* output) {
    sw::enc::Encoder encoder;
    encoder.setCpuPriority(sw::enc::CpuPriority::High);
    std::printf("available=%d\n", sw::enc::HighPriorityAvailable() ? 1 : 0);
    encoder.start(enctest::Request(QString::fromLocal8Bit(source), QString::fromLocal8Bit(output)));
    enctest::ThreadSchedule lowest = enctest::LowestThreadSchedule();
    while (encoder.isRunning()) {
        const enctest::ThreadSchedule now = enctest::LowestThreadSchedule();
        lowest.nice = std::min(lowest.nice, now.nice);
        lowest.otherPolicy = lowest.otherPolicy || now.otherPolicy;
        QTest::qWait(2);
    }
    std::printf("outcome=%d\nnice=%d\nother-policy=%d\nsetting=%d\nnote=%s\n",
                static_cast<int>(encoder.lastOutcome()), lowest.nice, lowest.otherPolicy ? 1 : 0,
                static_cast<int>(encoder.cpuPriority()),
                encoder.lastPriorityNote().toUtf8().constData());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);  // the decoders' warnings about tone files are noise here
    if (argc == 4 && std::strcmp(argv[1], "--encode-child") == 0)
        return EncodeInChild(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--high-priority-child") == 0)
        return HighPriorityChild(argv[2], argv[3]);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
