// --check: compile one class source and report the first error with its position.
#include <cstdio>

#include "app/Modes.h"

namespace varno {

int RunCheck(const std::string& file) {
    std::fprintf(stderr, "varno: --check is not available yet (%s)\n", file.c_str());
    return 2;
}

}  // namespace varno
