#include "core/engine/wma_job.h"

#include "core/engine/tag_copy.h"
#include "core/fs/temp_file.h"
#include "core/jobs/job.h"
#include "encoder/encoder.h"
#include "encoder/input_probe.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

WmaJob::WmaJob(sw::enc::Encoder& encoder) : encoder_(encoder) {}

WmaJob::~WmaJob() {
    removeTempFiles();
}

QString WmaJob::start(const Job& job) {
    sw::enc::EncodeRequest request;
    request.source = job.source;
    request.output = job.output;
    request.profile = job.profile;
    const QString source = job.source;
    request.finishing = [source](const QString& path) { copyTagToWmaFile(source, path); };
    try {
        encoder_.start(request);
        return {};
    } catch (const sw::Error& error) {
        if (!sw::IsSourceRefusal(error.code())) {
            throw;
        }
        // Only MPEG audio that its extension sent to another reader is worth a second try.
        const bool retry = error.code() == sw::ErrorCode::FormatNotAccepted &&
                           qstrcmp(sw::enc::DemuxerForExtension(job.source), "mp3") != 0 &&
                           sw::enc::ProbeContent(job.source).mpegAudio;
        request.source = retry ? mp2Link(job.source) : QString();
        if (request.source.isEmpty()) {
            removeTempFiles();
            return error.text();
        }
        try {
            encoder_.start(request);
            return {};
        } catch (const sw::Error& second) {
            removeTempFiles();
            if (!sw::IsSourceRefusal(second.code())) {
                throw;
            }
            return error.text();
        }
    }
}

QString WmaJob::mp2Link(const QString& sourcePath) {
    const QString temp = makeTempFile(QStringLiteral("SW"));
    if (temp.isEmpty()) {
        return {};
    }
    const QString link = temp + QStringLiteral(".mp2");
    tempFiles_ << temp << link;
    QFile::remove(link);
    // A link costs nothing whatever the file's size; a copy would hold up the window.
    const QString target = QFileInfo(sourcePath).absoluteFilePath();
    if (::link(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) != 0 &&
        !QFile::link(target, link)) {
        return {};
    }
    return link;
}

void WmaJob::removeTempFiles() {
    for (const QString& path : std::as_const(tempFiles_)) {
        QFile::remove(path);
    }
    tempFiles_.clear();
}
