#pragma once
// A benchmark step that failed measures nothing: the run stops there, saying which step.
#include <cstdio>
#include <cstdlib>

inline void riuscito(bool ok, const char* passo)
{
    if (!ok) {
        std::fprintf(stderr, "%s non riuscito\n", passo);
        std::exit(1);
    }
}
