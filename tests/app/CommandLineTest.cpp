// The command line: options, values and the errors for bad ones.
#include <gtest/gtest.h>

#include <vector>

#include "app/CommandLine.h"
#include "base/Error.h"

namespace varno {
namespace {

TCommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "varno");
    return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, ReadsOptionsAndPage) {
    const TCommandLine line = parse({"--headless", "--frames", "12", "--root", "/r", "page.cmml"});
    EXPECT_TRUE(line.headless);
    EXPECT_EQ(line.frames, 12);
    EXPECT_EQ(line.root, "/r");
    EXPECT_EQ(line.page, "page.cmml");
    EXPECT_FALSE(line.fullScreen);
    EXPECT_TRUE(parse({"FULLSCREEN"}).fullScreen);
}

TEST(CommandLine, RejectsBadArguments) {
    const std::vector<std::vector<const char*>> bad = {
        {"--frames"}, {"--frames", "x"}, {"--frames", "-3"}, {"--stack-size", "12k"},
        {"--bogus"}, {"a.cmml", "b.cmml"},
    };
    for (const auto& args : bad) {
        EXPECT_THROW(parse(args), EVarno) << args.front();
    }
}

}  // namespace
}  // namespace varno
