// The host's command line: the page or FULLSCREEN argument and the options of our own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace varno {

struct TCommandLine {
    std::optional<std::string> page;  // a page file to open
    bool fullScreen = false;          // the argument FULLSCREEN
    bool help = false;
    bool headless = false;
    bool verbose = false;
    std::optional<int> frames;        // end after this many frames
    std::optional<std::string> screenshot;
    std::optional<std::string> root;  // the program directory
    std::optional<std::string> scriptFile;
    std::optional<std::string> checkFile;
    std::optional<std::string> listFile;
    std::optional<std::int64_t> stackSize;
};

// Parses argv; throws EVarno with a message naming the offending argument.
TCommandLine ParseCommandLine(int argc, const char* const* argv);

// The text of --help.
std::string UsageText();

}  // namespace varno
