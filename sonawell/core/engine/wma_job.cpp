#include "core/engine/wma_job.h"

#include "core/engine/user_prompt.h"
#include "core/jobs/job.h"
#include "core/settings/common.h"
#include "encoder/encoder.h"

#include <QFile>

WmaJob::WmaJob(sw::enc::Encoder& encoder, UserPrompt& prompt)
    : encoder_(encoder), prompt_(prompt) {}

WmaJob::~WmaJob() {
    removeTempFiles();
}

bool WmaJob::start(const Job& job) {
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
        if (error.number() != sw::enc::kErrFormatNotAccepted) {
            throw;
        }
        if (!retryAsMp2(job.source)) {
            removeTempFiles();
            prompt_.showMessage(QStringLiteral("Invalid source file format"));
            return false;
        }
    }

    try {
        encoder_.start();
    } catch (...) {
        removeTempFiles();
        throw;
    }
    return true;
}

bool WmaJob::retryAsMp2(const QString& sourcePath) {
    const QString temp = makeTempFile(QStringLiteral("SW"));
    if (temp.isEmpty()) {
        return false;
    }
    const QString copy = temp + QStringLiteral(".mp2");
    tempFiles_ << temp << copy;
    QFile::remove(copy);
    QFile::copy(sourcePath, copy);
    encoder_.sourceGroups().item(0).source(0).setInput(copy, QString(), QString());
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
