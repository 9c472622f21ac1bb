// varno --check: exit status and the FILE:LINE:COL message.
#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/Modes.h"
#include "support/TestSupport.h"

namespace varno {
namespace {

struct TCheckCase {
    const char* source;
    int status;
    const char* message;  // after "FILE:"
};

// A program directory without a kernel: --check can only look at the syntax.
TCommandLine WithoutKernel(const test::TTempDir& dir) {
    TCommandLine line;
    line.root = dir.path().string();
    return line;
}

TEST(Check, ReportsSyntaxErrorsWithLineAndColumn) {
    const TCheckCase cases[] = {
        {"", 0, ""},
        {"extends classes.lang.Object;\n// note\nfunction f(a) { var b; b = a; return b; }\n", 0, ""},
        {"x = 1;\r\ny = ;\r\n", 1, "2:3: Syntax Error\n"},
        {"a = b = c;", 1, "1:5: Syntax Error\n"},
        {"; x;", 1, "1:1: Syntax Error\n"},
        {"/* comment */\nfunction f() {\n  x = 1;\n  var y;\n}\n", 1, "3:8: Syntax Error\n"},
        {"x = a *= 2;", 1, "1:5: Syntax Error\n"},
    };
    test::TTempDir dir;
    const std::string file = (dir.path() / "Sample.varno").string();
    for (const TCheckCase& c : cases) {
        test::WriteBytes(file, c.source);
        testing::internal::CaptureStderr();
        const int status = RunCheck(file, WithoutKernel(dir));
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, c.status) << c.source;
        EXPECT_EQ(err, c.status == 0 ? std::string() : file + ":" + c.message) << c.source;
    }
}

TEST(Check, UnreadableFileIsAClearError) {
    test::TTempDir dir;
    for (const auto& path : {dir.path() / "missing.varno", dir.path()}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunCheck(path.string(), WithoutKernel(dir)), 2);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("cannot read " + path.string()), std::string::npos) << err;
    }
}

}  // namespace
}  // namespace varno
