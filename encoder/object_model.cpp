#include "encoder/encoder.h"

#include <QCoreApplication>

namespace sw::enc {

void Source::setInput(const QString& path, const QString& /*scheme*/, const QString& /*info*/) {
    input_ = path;
}

Source& SourceGroup::addSource(MediaKind kind) {
    sources_.push_back(std::make_unique<Source>(kind));
    return *sources_.back();
}

Source& SourceGroup::source(int index) {
    if (index < 0 || index >= sourceCount())
        throw Error(
            kErrIndex,
            QCoreApplication::translate("Encoder", "There is no source number %1.").arg(index));
    return *sources_[static_cast<size_t>(index)];
}

SourceGroup& SourceGroupCollection::item(int index) {
    if (index < 0 || index >= count())
        throw Error(kErrIndex,
                    QCoreApplication::translate("Encoder", "There is no source group number %1.")
                        .arg(index));
    return *groups_[static_cast<size_t>(index)];
}

void SourceGroupCollection::remove(int index) {
    if (index < 0 || index >= count())
        throw Error(kErrIndex,
                    QCoreApplication::translate("Encoder", "There is no source group number %1.")
                        .arg(index));
    groups_.erase(groups_.begin() + index);
}

SourceGroup& SourceGroupCollection::add(const QString& name) {
    groups_.push_back(std::make_unique<SourceGroup>(name));
    return *groups_.back();
}

}  // namespace sw::enc
