#include "core/fs/source_duration.h"

#include "core/fs/file_status.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <memory>

namespace {

struct CloseInput {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

}  // namespace

double sourceDurationSeconds(const QString& path) {
    // Only a regular file: a FIFO would block the open.
    if (!regularFileSize(path)) {
        return 0;
    }
    AVFormatContext* opened = nullptr;
    // A "file:" URL, so that a colon in a name is never taken for a protocol.
    const QByteArray url = QByteArrayLiteral("file:") + path.toUtf8();
    if (avformat_open_input(&opened, url.constData(), nullptr, nullptr) < 0) {
        return 0;
    }
    const std::unique_ptr<AVFormatContext, CloseInput> input(opened);
    if (input->duration == AV_NOPTS_VALUE && avformat_find_stream_info(input.get(), nullptr) < 0) {
        return 0;
    }
    return input->duration == AV_NOPTS_VALUE || input->duration <= 0
               ? 0
               : static_cast<double>(input->duration) / AV_TIME_BASE;
}
