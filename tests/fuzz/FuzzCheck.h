#pragma once

#include <QString>

#include <cstdio>
#include <cstdlib>

// A property the fuzzed code must keep. A broken one ends the run with the input kept by libFuzzer.
#define FUZZ_CHECK(condition, what)                                                                            \
    do {                                                                                                       \
        if (!(condition)) {                                                                                    \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", qPrintable(QString(what)), __FILE__, __LINE__); \
            std::abort();                                                                                      \
        }                                                                                                      \
    } while (false)
