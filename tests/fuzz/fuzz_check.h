#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property of a fuzz target: said on stderr, then abort, which both libFuzzer and the
// corpus replay take as a finding.
#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)
