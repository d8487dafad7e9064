#pragma once
// What the fuzz targets insist on beyond "no crash, no sanitizer report":
// a broken promise stops the run with a message, as a crash would.

#include <cstdio>
#include <cstdlib>

namespace korvanes::fuzz {

inline void Require(bool holds, const char* promise)
{
    if (!holds) {
        std::fprintf(stderr, "broken promise: %s\n", promise);
        std::abort();
    }
}

}  // namespace korvanes::fuzz
