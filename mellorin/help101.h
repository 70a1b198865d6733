#pragma once

// The one export of libmellorin.so.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(MELLORIN_BUILDING)
#define MELLORIN_EXPORT __attribute__((visibility("default")))
#else
#define MELLORIN_EXPORT
#endif

// Decodes the audio file `source` to the PCM WAVE file `output` (16-bit samples at the
// source's rate and channel count; an existing file is replaced). Both paths are UTF-8;
// a source path of 1000 bytes or more is refused. After each decoded block `progress`
// (may be null) is called on the caller's thread with the number of sample bytes written
// so far, saturated at INT32_MAX; its last value is the size of the data chunk.
// Returns 1 when the whole source was decoded and the file completed, else 0. When the
// source can't be opened, or `output` names the source file itself, no output file is
// created or changed. Never throws.
MELLORIN_EXPORT int32_t Help101(const char* source, const char* output, void (*progress)(int32_t));

// For callers that resolve the export by name.
#ifdef __cplusplus
}
using Help101Fn = int32_t (*)(const char* source, const char* output, void (*progress)(int32_t));
#else
typedef int32_t (*Help101Fn)(const char* source, const char* output, void (*progress)(int32_t));
#endif
