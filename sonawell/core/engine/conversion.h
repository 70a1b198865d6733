#pragma once

#include <QMetaType>
#include <QString>

// One conversion asked of the engine, either direction.
struct ConversionRequest {
    QString source;
    QString output;
    // An encoder profile's name for a WMA output, or kWaveProfile to decode a WMA to WAVE.
    QString profile;
};

// How a conversion ended.
struct ConversionOutcome {
    enum class Kind { Done, DoneDamaged, Failed, Stopped };
    Kind kind = Kind::Failed;
    // A failure's reason, or what a damaged source gave ("source damaged: 36 of 60 s"), for
    // the user.
    QString text;
};

Q_DECLARE_METATYPE(ConversionOutcome)

// "37%": the share of the source converted, in whole percent rounded down.
QString progressText(double fraction);
