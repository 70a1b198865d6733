#include "core/engine/conversion_driver.h"

#include "core/settings/common.h"

#include <QFile>

using sw::enc::MediaKind;

bool ConversionDriver::ConvertToWMAFile(int nIndex) {
    auto& groups = encoder_.sourceGroups();
    while (groups.count() > 0) {
        groups.remove(0);
    }
    auto& group = groups.add(QStringLiteral("SG_1"));
    auto& source = group.addSource(MediaKind::Audio);
    const Job job = jobs_.at(nIndex);
    const QString& sourcePath = job.source;
    source.setInput(sourcePath, QString(), QString());
    encoder_.file().setLocalFileName(job.output);
    group.setProfile(nullptr);
    const QString& profileName = job.profile;
    const auto& profiles = encoder_.profiles();
    for (int i = 0; i < profiles.count(); ++i) {
        if (profiles.item(i).name() == profileName) {
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
        // Some MPEG audio is refused under its own name but accepted as ".mp2".
        const QString temp = MakeTempFile(QStringLiteral("SW"));
        bool accepted = false;
        if (!temp.isEmpty()) {
            const QString copy = temp + QStringLiteral(".mp2");
            tempFiles_ << temp << copy;
            QFile::remove(copy);
            QFile::copy(sourcePath, copy);
            source.setInput(copy, QString(), QString());
            try {
                encoder_.prepareToEncode(true);
                accepted = true;
            } catch (const sw::Error&) {
                accepted = false;
            }
        }
        if (!accepted) {
            RemoveTempFiles();
            prompt_.showMessage(QStringLiteral("Invalid source file format"));
            return false;
        }
    }

    try {
        encoder_.start();
    } catch (...) {
        RemoveTempFiles();
        throw;
    }
    timer1_.start();
    jobs_.setState(nIndex, JobState::Converting);
    return true;
}

void ConversionDriver::ClearSourceCollection() {
    auto& groups = encoder_.sourceGroups();
    while (groups.count() > 0) {
        groups.remove(0);
    }
}
