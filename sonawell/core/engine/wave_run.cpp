#include "core/engine/wave_run.h"

#include "common/kill_point.h"
#include "core/engine/decoder_reason.h"
#include "core/engine/tag_copy.h"
#include "mellorin/decode.h"

#include <QFile>

#include <new>

WaveRun::WaveRun(ConversionRequest request, sw::enc::CpuPriority priority,
                 std::function<void(const ConversionOutcome&)> finished)
    : request_(std::move(request)),
      priority_(priority),
      finished_(std::move(finished)),
      thread_([this] { execute(); }) {}

WaveRun::~WaveRun() {
    requestStop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void WaveRun::execute() {
    sw::enc::ApplyToCurrentThread(priority_);
    mellorin::DecodeOptions options;
    options.cancel = &cancel_;
    options.progress = [this](uint64_t, double fraction) {
        sw::killPoint("decode-block");
        progress_.store(fraction, std::memory_order_relaxed);
    };
    const QString source = request_.source;
    options.finish = [source](const std::string& pendingPath) {
        copyTagToWaveFile(source, QFile::decodeName(QByteArray::fromStdString(pendingPath)));
    };
    ConversionOutcome outcome;
    try {
        outcome = conversionOutcome(
            mellorin::DecodeFile(QFile::encodeName(source).toStdString(),
                                 QFile::encodeName(request_.output).toStdString(), options));
    } catch (const std::bad_alloc&) {
        outcome =
            conversionOutcome(mellorin::DecodeOutcome::Failed(mellorin::DecodeReason::OutOfMemory));
    } catch (...) {
        outcome =
            conversionOutcome(mellorin::DecodeOutcome::Failed(mellorin::DecodeReason::Internal));
    }
    finished_(outcome);
}
