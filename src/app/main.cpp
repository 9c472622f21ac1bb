// The host's entry: parse the command line and hand over to the mode it asks for.
#include <cstdio>
#include <exception>

#include "app/CommandLine.h"
#include "app/Modes.h"
#include "base/Error.h"
#include "base/Text.h"

int main(int argc, char** argv) {
    using namespace varno;
    try {
        const TCommandLine line = ParseCommandLine(argc, argv);
        if (line.help) {
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        }
        if (line.checkFile) return RunCheck(*line.checkFile, line);
        if (line.listFile) return RunList(*line.listFile, line);
        if (line.scriptFile) return RunScript(*line.scriptFile, line);
        std::fputs("varno: nothing to run yet in this build; see --help\n", stderr);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "varno: %s\n", SjisToUtf8(e.what()).c_str());
        return 2;
    }
}
