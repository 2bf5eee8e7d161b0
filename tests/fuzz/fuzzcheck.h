#pragma once

#include <QStringView>

#include <cstdio>
#include <cstdlib>

// A broken promise stops the fuzzer like a crash, with the text it broke on (UTF-16
// units in hex); libFuzzer then keeps the input that caused it.
[[noreturn]] inline void fuzzFailure(const char* what, QStringView text)
{
    std::fprintf(stderr, "%s:", what);
    for (const QChar c : text)
        std::fprintf(stderr, " %04X", c.unicode());
    std::fprintf(stderr, "\n");
    std::abort();
}
