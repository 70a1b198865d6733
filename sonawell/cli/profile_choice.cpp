#include "cli/profile_choice.h"

#include "encoder/encoder.h"

std::optional<QString> profileNamed(const QString& given, const QStringList& names) {
    bool isNumber = false;
    const int number = given.trimmed().toInt(&isNumber);
    if (isNumber) {
        return number >= 1 && number <= names.size() ? std::optional(names.at(number - 1))
                                                     : std::nullopt;
    }
    for (const QString& name : names) {
        if (name.compare(given.trimmed(), Qt::CaseInsensitive) == 0 ||
            sw::enc::ProfileCollection::displayName(name).compare(given.trimmed(),
                                                                  Qt::CaseInsensitive) == 0) {
            return name;
        }
    }
    return std::nullopt;
}

QString profileListText(const QStringList& names) {
    QString text;
    for (qsizetype i = 0; i < names.size(); ++i) {
        text += QStringLiteral("  %1  %2\n")
                    .arg(i + 1, 2)
                    .arg(sw::enc::ProfileCollection::displayName(names.at(i)));
    }
    return text;
}
