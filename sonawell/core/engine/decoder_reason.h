#pragma once

#include "core/engine/conversion.h"
#include "mellorin/decode.h"

#include <QString>

// A decode's reason in the user's language: the code's own words, then the system's or the
// decoder's ("disk full: No space left on device").
QString decoderReasonText(const mellorin::DecodeError& error);

// The decoder's outcome as the engine reports every conversion's.
ConversionOutcome conversionOutcome(const mellorin::DecodeOutcome& outcome);
