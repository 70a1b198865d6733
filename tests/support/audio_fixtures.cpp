#include "support/audio_fixtures.h"

#include "support/tool_process.h"

#include <QFile>
#include <QProcessEnvironment>

namespace testsupport {

namespace {

QString RunTool(const QString& program, const QStringList& args, int* exitCode) {
    const ToolRun run = RunProgram(program, args);
    *exitCode = run.exitCode;
    return QString::fromUtf8(run.out);
}

}  // namespace

bool RunFfmpeg(const QStringList& args) {
    QStringList all{QStringLiteral("-nostdin"), QStringLiteral("-hide_banner"),
                    QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y")};
    all << args;
    int code = 0;
    RunTool(QStringLiteral("ffmpeg"), all, &code);
    return code == 0;
}

bool MakeTone(const QString& path, double seconds, int sampleRate, int channels,
              const QStringList& extraArgs) {
    QStringList args{QStringLiteral("-f"),
                     QStringLiteral("lavfi"),
                     QStringLiteral("-i"),
                     QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2")
                         .arg(sampleRate)
                         .arg(seconds),
                     QStringLiteral("-ac"),
                     QString::number(channels)};
    args << extraArgs << path;
    return RunFfmpeg(args);
}

bool MakeMp3(const QString& path, double seconds, int sampleRate, int channels) {
    return MakeTone(path, seconds, sampleRate, channels,
                    {QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-b:a"),
                     QStringLiteral("128k"), QStringLiteral("-f"), QStringLiteral("mp3")});
}

bool MakeWav(const QString& path, double seconds, int sampleRate, int channels) {
    return MakeTone(path, seconds, sampleRate, channels,
                    {QStringLiteral("-c:a"), QStringLiteral("pcm_s16le"), QStringLiteral("-f"),
                     QStringLiteral("wav")});
}

bool MakeWma(const QString& path, double seconds, int sampleRate, int channels) {
    return MakeTone(path, seconds, sampleRate, channels,
                    {QStringLiteral("-c:a"), QStringLiteral("wmav2"), QStringLiteral("-b:a"),
                     QStringLiteral("128k"), QStringLiteral("-f"), QStringLiteral("asf")});
}

bool MakeNoisyWav(const QString& path, double seconds, int sampleRate) {
    return RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("aevalsrc=0.4*sin(440*2*PI*t)+0.2*random(0)|"
                                     "0.3*sin(660*2*PI*t)+0.2*random(1):s=%1:d=%2")
                          .arg(sampleRate)
                          .arg(seconds),
                      QStringLiteral("-c:a"), QStringLiteral("pcm_s16le"), QStringLiteral("-f"),
                      QStringLiteral("wav"), path});
}

bool AppendId3v1(const QString& path, const Id3v1& tag) {
    QByteArray block(128, '\0');
    auto put = [&block](int offset, int size, const QByteArray& text) {
        const QByteArray cut = text.left(size);
        std::copy(cut.begin(), cut.end(), block.begin() + offset);
    };
    put(0, 3, QByteArrayLiteral("TAG"));
    put(3, 30, tag.title);
    put(33, 30, tag.artist);
    put(63, 30, tag.album);
    put(93, 4, tag.year);
    put(97, tag.track > 0 ? 28 : 30, tag.comment);
    if (tag.track > 0) {
        block[97 + 28] = '\0';
        block[97 + 29] = static_cast<char>(tag.track);
    }
    block[127] = static_cast<char>(tag.genre);
    QFile file(path);
    if (!file.open(QIODevice::Append))
        return false;
    return file.write(block) == block.size();
}

std::optional<double> ProbeDuration(const QString& path) {
    int code = 0;
    const QString out = RunTool(
        QStringLiteral("ffprobe"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
         QStringLiteral("format=duration"), QStringLiteral("-of"), QStringLiteral("csv=p=0"), path},
        &code);
    bool ok = false;
    const double value = out.trimmed().toDouble(&ok);
    if (code != 0 || !ok)
        return std::nullopt;
    return value;
}

QString ProbeCodecAndFormat(const QString& path) {
    int code = 0;
    const QString codec =
        RunTool(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                 QStringLiteral("a:0"), QStringLiteral("-show_entries"),
                 QStringLiteral("stream=codec_name"), QStringLiteral("-of"),
                 QStringLiteral("csv=p=0"), path},
                &code);
    const QString format =
        RunTool(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                 QStringLiteral("format=format_name"), QStringLiteral("-of"),
                 QStringLiteral("csv=p=0"), path},
                &code);
    return codec.trimmed() + QLatin1Char('|') + format.trimmed();
}

QString BinDir() {
    return QProcessEnvironment::systemEnvironment().value(QStringLiteral("SONAWELL_BIN_DIR"));
}

}  // namespace testsupport
