// The command-line modes that do their work and exit.
#pragma once

#include <string>

#include "app/CommandLine.h"

namespace varno {

// --check FILE: compiles FILE against the kernel (only its syntax when there is no kernel)
// and prints FILE:LINE:COL: message for the first error. Exit status 0, 1 after an
// error, 2 when the file cannot be read or the kernel does not start.
int RunCheck(const std::string& file, const TCommandLine& line);

// --list FILE: compiles FILE against the kernel and prints the code listing of every
// block of its class; exit status as for --check.
int RunList(const std::string& file, const TCommandLine& line);

// --script FILE: boots the kernel (in --root or next to the program), compiles FILE as a
// class named after it (extending classes.lang.Object unless it says otherwise) and runs
// its class code until it halts. Exit status 0; 1 after a compile or run-time error,
// printed as FILE:LINE:COL: message; 2 when the file cannot be read or the kernel does
// not start.
int RunScript(const std::string& file, const TCommandLine& line);

}  // namespace varno
