#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The encoder's audio profile a --profile value names: its number in `names` (from 1), or its
// name or its name in the user's language, without regard to case.
std::optional<QString> profileNamed(const QString& given, const QStringList& names);
// "  1  Audio for voice (32 Kbps, 22 kHz, mono)" a line each, for the help and usage errors.
QString profileListText(const QStringList& names);
