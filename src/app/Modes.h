// The command-line modes that do their work and exit.
#pragma once

#include <string>

namespace varno {

// --check FILE: prints FILE:LINE:COL: message for the first error; returns the exit status.
int RunCheck(const std::string& file);

}  // namespace varno
