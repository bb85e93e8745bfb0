#pragma once

// What the fuzz targets share: a check that stops the run with a message, so that the
// fuzzer records the input that broke a rule.

#include <QString>

#include <cstdio>
#include <cstdlib>

namespace Zuvi::Fuzz {

[[noreturn]] inline void fail(const char *rule, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: rule broken: %s\n", file, line, rule);
    std::abort();
}

} // namespace Zuvi::Fuzz

#define ZUVI_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::Zuvi::Fuzz::fail(#condition, __FILE__, __LINE__);                                    \
    } while (false)

// Stops the run when a checker named a fault (an empty text: nothing wrong), with its text.
#define ZUVI_CHECK_NO_FAULT(fault)                                                                 \
    do {                                                                                           \
        const QString zuviFault = (fault);                                                         \
        if (!zuviFault.isEmpty())                                                                  \
            ::Zuvi::Fuzz::fail(qPrintable(zuviFault), __FILE__, __LINE__);                         \
    } while (false)
