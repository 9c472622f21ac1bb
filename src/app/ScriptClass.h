// What --script, --check and --list share: booting the kernel for the command line, and
// compiling one class file against it with errors printed as FILE:LINE:COL: message.
#pragma once

#include <cstdint>
#include <string>

#include "app/CommandLine.h"

namespace varno {

class TRTTI;

// How a source was read for compiling: a script file as its bytes are, kernel classes as
// CR LF lines (the loader's form), which is what their byte offsets count.
enum class TSourceForm { Bytes, CrLfLines };

// "displayPath:LINE:COL" for a byte offset of the source compiled from systemPath; shift
// is the length of text put in front of the file's own bytes. Without the file, just
// displayPath.
std::string SourceLocation(const std::string& systemPath, std::int32_t offset, const std::string& displayPath,
                           std::int32_t shift, TSourceForm form);

// True when the program directory (from --root, else next to the program) holds a kernel.
bool KernelPresent(const TCommandLine& line);

// Sets up the program directory, logging and settings and boots the kernel. Prints why
// and returns false when the kernel does not start.
bool BootKernel(const TCommandLine& line);

// One class file compiled into the booted tree: a class named after the file, hanging
// from the root, extending classes.lang.Object unless the file says otherwise.
struct TScriptClass {
    TRTTI* cls = nullptr;     // null after an error (already printed)
    std::string systemPath;   // the file's absolute system path
    std::int32_t shift = 0;   // bytes put in front of the file's text
};

// Compiles fileText (the bytes of file) as above; prints the first error as
// FILE:LINE:COL: message on standard error.
TScriptClass CompileScriptClass(const std::string& file, const std::string& fileText);

}  // namespace varno
