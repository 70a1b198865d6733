#pragma once

#include <QString>

// The decoder library states its reasons in English ("disk full: No space left on device",
// "source damaged: 36 of 60 s"); this gives them in the user's language. A reason it does not
// know stays as it is.
QString translatedDecoderReason(const QString& reason);
