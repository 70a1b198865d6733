#include "core/engine/wma_job.h"

#include "core/engine/tag_copy.h"
#include "core/fs/temp_file.h"
#include "core/jobs/job.h"
#include "encoder/encoder.h"
#include "encoder/input_probe.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

bool isSourceError(uint32_t number) {
    using namespace sw::enc;
    return number == kErrFormatNotAccepted || number == kErrSourceMissing ||
           number == kErrSourceNotFile || number == kErrSourceEmpty ||
           number == kErrSourceUnreadable;
}

}  // namespace

WmaJob::WmaJob(sw::enc::Encoder& encoder) : encoder_(encoder) {}

WmaJob::~WmaJob() {
    removeTempFiles();
}

QString WmaJob::start(const Job& job) {
    clearSources();
    auto& group = encoder_.sourceGroups().add(QStringLiteral("SG_1"));
    group.addSource(sw::enc::MediaKind::Audio).setInput(job.source, QString(), QString());
    encoder_.file().setLocalFileName(job.output);
    group.setProfile(nullptr);
    const auto& profiles = encoder_.profiles();
    for (int i = 0; i < profiles.count(); ++i) {
        if (profiles.item(i).name() == job.profile) {
            group.setProfile(&profiles.item(i));
            break;
        }
    }

    try {
        encoder_.prepareToEncode(true);
    } catch (const sw::Error& error) {
        if (!isSourceError(error.number())) {
            throw;
        }
        // Only MPEG audio that its extension sent to another reader is worth a second try.
        const bool retry = error.number() == sw::enc::kErrFormatNotAccepted &&
                           qstrcmp(sw::enc::DemuxerForExtension(job.source), "mp3") != 0 &&
                           sw::enc::ProbeContent(job.source).mpegAudio;
        if (!retry || !retryAsMp2(job.source)) {
            removeTempFiles();
            clearSources();
            return error.description();
        }
    }

    const QString source = job.source;
    encoder_.setFinishingStep([source](const QString& path) { copyTagToWmaFile(source, path); });
    try {
        encoder_.start();
    } catch (...) {
        removeTempFiles();
        throw;
    }
    return {};
}

bool WmaJob::retryAsMp2(const QString& sourcePath) {
    const QString temp = makeTempFile(QStringLiteral("SW"));
    if (temp.isEmpty()) {
        return false;
    }
    const QString link = temp + QStringLiteral(".mp2");
    tempFiles_ << temp << link;
    QFile::remove(link);
    // A link costs nothing whatever the file's size; a copy would hold up the window.
    const QString target = QFileInfo(sourcePath).absoluteFilePath();
    if (::link(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) != 0 &&
        !QFile::link(target, link)) {
        return false;
    }
    encoder_.sourceGroups().item(0).source(0).setInput(link, QString(), QString());
    try {
        encoder_.prepareToEncode(true);
        return true;
    } catch (const sw::Error&) {
        return false;
    }
}

void WmaJob::clearSources() {
    auto& groups = encoder_.sourceGroups();
    while (groups.count() > 0) {
        groups.remove(0);
    }
}

void WmaJob::removeTempFiles() {
    for (const QString& path : std::as_const(tempFiles_)) {
        QFile::remove(path);
    }
    tempFiles_.clear();
}
