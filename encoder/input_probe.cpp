#include "encoder/input_probe.h"

#include "encoder/encoder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <utility>

namespace sw::enc {

namespace {

// Packets read at prepare time before a source without a decodable frame is refused.
constexpr int kProbePackets = 64;

// Bytes of the start of a file handed to FFmpeg's format probe.
constexpr qint64 kProbeBytes = 64 * 1024;

[[noreturn]] void Refuse(const QString& path, const QString& why) {
    const ProbedContent found = ProbeContent(path);
    QString text =
        QCoreApplication::translate("Encoder", "not an audio file the encoder accepts: ") +
        found.description;
    if (!why.isEmpty())
        text += QStringLiteral(" (") + why + QLatin1Char(')');
    throw Error(ErrorCode::FormatNotAccepted, text);
}

// True when one of the first packets of the stream decodes to audio.
bool FirstPacketsDecode(OpenedInput& input) {
    const ff::Packet packet(av_packet_alloc());
    const ff::Frame frame(av_frame_alloc());
    if (!packet || !frame)
        return false;
    for (int read = 0; read < kProbePackets; ++read) {
        if (av_read_frame(input.format.get(), packet.get()) < 0)
            break;
        if (packet->stream_index != input.streamIndex) {
            av_packet_unref(packet.get());
            continue;
        }
        const int sent = avcodec_send_packet(input.decoder.get(), packet.get());
        av_packet_unref(packet.get());
        if (sent < 0 && sent != AVERROR(EAGAIN))
            continue;
        if (avcodec_receive_frame(input.decoder.get(), frame.get()) == 0 && frame->nb_samples > 0)
            return true;
    }
    // A source shorter than the decoder's delay still counts once the decoder is drained.
    avcodec_send_packet(input.decoder.get(), nullptr);
    return avcodec_receive_frame(input.decoder.get(), frame.get()) == 0 && frame->nb_samples > 0;
}

// The length a WAVE file's own header announces, in microseconds; 0 when it does not tell.
// FFmpeg's reader clamps its length to the bytes present, which hides a file cut short.
int64_t WaveHeaderDurationUs(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const auto le32 = [](const QByteArray& bytes, int at) {
        return qFromLittleEndian<quint32>(bytes.constData() + at);
    };
    const QByteArray riff = file.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return 0;
    quint32 byteRate = 0;
    for (int chunks = 0; chunks < 64; ++chunks) {
        const QByteArray header = file.read(8);
        if (header.size() < 8)
            return 0;
        const quint32 size = le32(header, 4);
        if (header.startsWith("fmt ")) {
            const QByteArray fmt = file.read(size + (size & 1));
            if (fmt.size() < 12)
                return 0;
            byteRate = le32(fmt, 8);
        } else if (header.startsWith("data")) {
            // A streamed file leaves the size open (0 or all ones).
            if (byteRate == 0 || size == 0 || size == 0xFFFFFFFFu)
                return 0;
            return static_cast<int64_t>(size) * AV_TIME_BASE / byteRate;
        } else if (!file.seek(file.pos() + size + (size & 1))) {
            return 0;
        }
    }
    return 0;
}

}  // namespace

const char* DemuxerForExtension(const QString& path) {
    static const std::pair<const char*, const char*> kReaders[] = {
        {"mp3", "mp3"},  // FFmpeg's mp3 demuxer reads MPEG audio layers 1 to 3
        {"mp2", "mp3"},   {"mpa", "mp3"}, {"wav", "wav"}, {"wma", "asf"},  {"asf", "asf"},
        {"flac", "flac"}, {"ogg", "ogg"}, {"oga", "ogg"}, {"opus", "ogg"}, {"m4a", "mov"},
        {"m4b", "mov"},   {"mp4", "mov"}, {"aac", "aac"}, {"aif", "aiff"}, {"aiff", "aiff"},
        {"aifc", "aiff"}, {"wv", "wv"},   {"ape", "ape"},
    };
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    for (const auto& [extension, demuxer] : kReaders) {
        if (suffix == extension)
            return demuxer;
    }
    return nullptr;
}

QByteArray FileUrl(const QString& path) {
    return QByteArrayLiteral("file:") + QFile::encodeName(path);
}

std::optional<OpenedInput> OpenInput(const QString& path, const char* demuxer, QString* reason) {
    const AVInputFormat* format = av_find_input_format(demuxer);
    if (!format) {
        *reason =
            QCoreApplication::translate("Encoder", "this build of FFmpeg has no \"%1\" reader")
                .arg(QString::fromLatin1(demuxer));
        return std::nullopt;
    }
    OpenedInput input;
    AVFormatContext* raw = nullptr;
    const QByteArray url = FileUrl(path);
    if (const int err = avformat_open_input(&raw, url.constData(), format, nullptr); err < 0) {
        *reason = err == AVERROR(ENOENT) || err == AVERROR(EACCES) || err == AVERROR(EISDIR)
                      ? QCoreApplication::translate("Encoder", "the file could not be opened (%1)")
                            .arg(ff::ErrorText(err))
                      : QCoreApplication::translate("Encoder",
                                                    "the file is damaged or is not %1 audio (%2)")
                            .arg(QString::fromLatin1(demuxer).toUpper(), ff::ErrorText(err));
        return std::nullopt;
    }
    input.format.reset(raw);
    if (const int err = avformat_find_stream_info(raw, nullptr); err < 0) {
        *reason = QCoreApplication::translate("Encoder", "the file is damaged (%1)")
                      .arg(ff::ErrorText(err));
        return std::nullopt;
    }
    const AVCodec* codec = nullptr;
    input.streamIndex = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (input.streamIndex < 0 || !codec) {
        *reason =
            QCoreApplication::translate("Encoder", "the file holds no audio that can be decoded");
        return std::nullopt;
    }
    const AVStream* stream = raw->streams[input.streamIndex];
    if (stream->codecpar->sample_rate <= 0 || stream->codecpar->ch_layout.nb_channels <= 0) {
        *reason = QCoreApplication::translate("Encoder",
                                              "the file's audio has no sample rate or channels");
        return std::nullopt;
    }
    input.decoder.reset(avcodec_alloc_context3(codec));
    if (!input.decoder ||
        avcodec_parameters_to_context(input.decoder.get(), stream->codecpar) < 0 ||
        avcodec_open2(input.decoder.get(), codec, nullptr) < 0) {
        *reason =
            QCoreApplication::translate("Encoder", "the file's audio decoder could not be opened");
        return std::nullopt;
    }
    if (stream->duration > 0 && stream->duration != AV_NOPTS_VALUE)
        input.durationUs = av_rescale_q(stream->duration, stream->time_base, AV_TIME_BASE_Q);
    else if (raw->duration > 0)
        input.durationUs = raw->duration;
    input.durationFromHeader =
        input.durationUs > 0 && raw->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE;
    if (qstrcmp(demuxer, "wav") == 0) {
        if (const int64_t announced = WaveHeaderDurationUs(path); announced > input.durationUs) {
            input.durationUs = announced;
            input.durationFromHeader = true;
        }
    }
    return input;
}

namespace {

// The reader FFmpeg's probe picks for a regular file's first bytes; nullptr for a weak guess
// (from the name, or a few stray bytes).
const AVInputFormat* ProbeFormat(const QString& path) {
    struct stat info {};
    // Only a regular file is opened: a FIFO would block the open.
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    QByteArray bytes = file.read(kProbeBytes);
    const int size = static_cast<int>(bytes.size());
    if (size == 0)
        return nullptr;
    bytes.append(QByteArray(AVPROBE_PADDING_SIZE, '\0'));
    const QByteArray name = QFile::encodeName(path);
    AVProbeData probe{};
    probe.filename = name.constData();
    probe.buf = reinterpret_cast<unsigned char*>(bytes.data());
    probe.buf_size = size;
    int score = 0;
    const AVInputFormat* format = av_probe_input_format3(&probe, 1, &score);
    return format && score > AVPROBE_SCORE_EXTENSION ? format : nullptr;
}

}  // namespace

ProbedContent ProbeContent(const QString& path) {
    ProbedContent found{QCoreApplication::translate("Encoder", "unrecognised data"), false};
    const AVInputFormat* format = ProbeFormat(path);
    if (!format)
        return found;
    found.description = QString::fromUtf8(format->long_name ? format->long_name : format->name);
    found.mpegAudio = qstrcmp(format->name, "mp3") == 0;
    return found;
}

const char* DemuxerFor(const QString& path) {
    // A reader's whole name list ("mov,mp4,m4a,...") finds that reader again by name.
    if (const AVInputFormat* format = ProbeFormat(path))
        return format->name;
    return DemuxerForExtension(path);
}

CheckedInput CheckInput(const QString& path) {
    if (path.isEmpty())
        throw Error(ErrorCode::SourceMissing,
                    QCoreApplication::translate("Encoder", "no source file is set"));
    struct stat info {};
    // stat follows links: a link to a regular file is read, a link to a FIFO is not.
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        throw Error(ErrorCode::SourceMissing,
                    QCoreApplication::translate("Encoder", "file not found"));
    if (!S_ISREG(info.st_mode))
        throw Error(ErrorCode::SourceNotFile,
                    QCoreApplication::translate("Encoder", "not a regular file"));
    if (info.st_size == 0)
        throw Error(ErrorCode::SourceEmpty, QCoreApplication::translate("Encoder", "empty file"));
    if (::access(QFile::encodeName(path).constData(), R_OK) != 0)
        throw Error(ErrorCode::SourceUnreadable,
                    QCoreApplication::translate("Encoder", "file cannot be read: %1")
                        .arg(qt_error_string(errno)));
    const char* demuxer = DemuxerFor(path);
    if (!demuxer)
        Refuse(path, QCoreApplication::translate(
                         "Encoder", "the extension \"%1\" is not one the encoder reads")
                         .arg(QFileInfo(path).suffix()));
    QString reason;
    std::optional<OpenedInput> input = OpenInput(path, demuxer, &reason);
    if (!input)
        Refuse(path, reason);
    if (!FirstPacketsDecode(*input))
        Refuse(path, QCoreApplication::translate("Encoder", "its audio does not decode as %1")
                         .arg(QString::fromLatin1(demuxer).toUpper()));
    return CheckedInput{path, demuxer, input->durationUs};
}

}  // namespace sw::enc
