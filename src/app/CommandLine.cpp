// Parsing of the host's command line.
#include "app/CommandLine.h"

#include <charconv>
#include <cstring>

#include "base/Error.h"

namespace varno {
namespace {

template <typename Int>
Int parseNumber(const std::string& option, const std::string& text) {
    Int value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < 0) {
        throw EVarno(option + " needs a non-negative whole number, not \"" + text + "\"");
    }
    return value;
}

}  // namespace

std::string UsageText() {
    return "usage: varno [options] [PAGE | FULLSCREEN]\n"
           "\n"
           "Starts the Varno host with the default project, or with PAGE (a page file).\n"
           "FULLSCREEN starts on the full screen.\n"
           "\n"
           "options:\n"
           "  --help                 show this text and exit\n"
           "  --headless             no window, no sound device; message boxes print to standard error\n"
           "  --frames N             end after N frames have run\n"
           "  --screenshot FILE.png  write the last drawn frame to FILE.png\n"
           "  --root DIR             the program directory (holds Kernel/, Usr/, Temp/)\n"
           "  --script FILE.varno    compile one class against the kernel and run its class code\n"
           "  --check FILE.varno     compile only; errors as FILE:LINE:COL: message\n"
           "  --list FILE.varno      print the code listing of every block of the class\n"
           "  --stack-size BYTES     the default process stack size\n"
           "  --verbose              system log lines to standard error\n";
}

TCommandLine ParseCommandLine(int argc, const char* const* argv) {
    TCommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw EVarno(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--headless") {
            line.headless = true;
        } else if (arg == "--verbose") {
            line.verbose = true;
        } else if (arg == "--frames") {
            line.frames = parseNumber<int>(arg, value());
        } else if (arg == "--screenshot") {
            line.screenshot = value();
        } else if (arg == "--root") {
            line.root = value();
        } else if (arg == "--script") {
            line.scriptFile = value();
        } else if (arg == "--check") {
            line.checkFile = value();
        } else if (arg == "--list") {
            line.listFile = value();
        } else if (arg == "--stack-size") {
            line.stackSize = parseNumber<std::int64_t>(arg, value());
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            throw EVarno("unknown option " + arg + " (see --help)");
        } else if (arg == "FULLSCREEN") {
            line.fullScreen = true;
        } else if (!line.page) {
            line.page = arg;
        } else {
            throw EVarno("more than one page given: " + arg);
        }
    }
    return line;
}

}  // namespace varno
