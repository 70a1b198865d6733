#pragma once

// The exports of libmellorin.so.

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
// source's rate and channel count). Both paths are UTF-8, of any length the system takes.
// After each decoded block `progress` (may be null) is called on the caller's thread with the
// number of sample bytes written so far, saturated at INT32_MAX; its last value is the size
// of the data chunk.
//
// The WAVE file is written under no name in the output's folder, flushed to disk and only then
// put at `output`, replacing what is there (a link there is replaced, not followed). So
// `output` is either left as it was or complete, also when the process is killed. Where the
// file system has no unnamed files a hidden ".<name>.XXXXXX.part" is used instead, which a
// killed process leaves behind. Only a regular file (links followed) is opened as the source;
// anything else fails at once, without being opened.
//
// Returns
//   1  the whole source was decoded and `output` is complete;
//   2  `output` is complete, but the source is damaged (truncated or partly corrupt): it
//      holds what could be decoded. A caller that only tests for 1 treats this as a failure,
//      which keeps it from deleting such a source;
//   0  failure: `output` was not created or changed.
// Never throws.
MELLORIN_EXPORT int32_t Help101(const char* source, const char* output, void (*progress)(int32_t));

// Why the calling thread's last Help101 call did not return 1, as UTF-8 text for the user,
// starting in lower case so it can follow "Failed: " or "Done, "; "" after a return of 1.
// Valid until that thread's next Help101 call.
//   after 2: "source damaged: <decoded> of <declared> s" (whole seconds), or
//            "source damaged: <decoded> s decoded" when the source declares no length
//   after 0: "file not found", "not a regular file", "empty file",
//            "cannot read the source: <system reason>",
//            "not an audio file the decoder accepts: <what was found>",
//            "the output is the source file", "cannot create the output: <system reason>",
//            "disk full: <system reason>", "cannot write the output: <system reason>",
//            "the WAVE output would exceed its 4 GiB limit",
//            "cannot decode the source: <decoder reason>",
//            "source damaged: no audio could be decoded", "no source or output given",
//            "out of memory", "internal error"
MELLORIN_EXPORT const char* Help101LastError(void);

// For callers that resolve the exports by name.
#ifdef __cplusplus
}
using Help101Fn = int32_t (*)(const char* source, const char* output, void (*progress)(int32_t));
using Help101LastErrorFn = const char* (*)();
#else
typedef int32_t (*Help101Fn)(const char* source, const char* output, void (*progress)(int32_t));
typedef const char* (*Help101LastErrorFn)(void);
#endif
