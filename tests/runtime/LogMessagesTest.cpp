// The log, error reports and the message table.
#include <gtest/gtest.h>

#include "RuntimeFixture.h"
#include "support/TestSupport.h"
#include "base/MessageBox.h"
#include "runtime/Log.h"
#include "runtime/Messages.h"

namespace varno {
namespace {

// Points the program directory at a temporary folder for one test.
class TProgramDirScope {
public:
    TProgramDirScope() : m_saved(ProgramDir()) { SetProgramDir(m_dir.path()); }
    ~TProgramDirScope() { SetProgramDir(m_saved); }
    void writeMessages(const std::string& text) { test::WriteBytes(m_dir.path() / "Kernel" / "message.ini", text); }

private:
    std::filesystem::path m_saved;
    test::TTempDir m_dir;
};

TEST(GetMsg, WithoutAFileEveryKeyIsItself) {
    TProgramDirScope dir;
    for (const char* key : {"Cancel", " is undefined.", "", "Stopping"}) EXPECT_EQ(GetMsg(key), key);
}

TEST(GetMsg, TheFileReplacesKeysWithoutRegardToCase) {
    TProgramDirScope dir;
    dir.writeMessages(
        "cancel=Abbrechen\r\n"
        " is undefined.= ist nicht definiert.\r\n"
        "Stopping=\r\n"
        "no equals sign here\r\n"
        "CLASS=Second\n"
        "Class=Klasse\n"
        "a=b=c\n");
    const struct {
        const char* key;
        const char* text;
    } cases[] = {
        {"Cancel", "Abbrechen"},
        {"CANCEL", "Abbrechen"},
        {" is undefined.", " ist nicht definiert."},
        {"is undefined.", "is undefined."},  // the leading space is part of the key
        {"Stopping", "Stopping"},            // an empty value leaves the English text
        {"no equals sign here", "no equals sign here"},
        {"Class", "Klasse"},                 // the first line in sorted order wins
        {"a", "b=c"},
        {"missing", "missing"},
    };
    for (const auto& c : cases) EXPECT_EQ(GetMsg(c.key), c.text) << c.key;
}

TEST(GetMsg, NativeBindingMessageIsJoinedFromLookedUpPieces) {
    TProgramDirScope dir;
    dir.writeMessages(" is undefined.= fehlt.\n");
    auto cls = test::MakeClass("Panel", {});
    TMessageCapture capture;
    BindNative(*cls, "_n_show", nullptr);
    EXPECT_EQ(capture.text(), "ClassPanel: native function_n_show fehlt.\n");
}

TEST(Log, LinesShowNothingReportsShowTheirText) {
    test::THooksScope hooks;
    int duties = 0;
    RuntimeHooks().reportSideDuties = [&] { ++duties; };
    TMessageCapture capture;
    Log("Compiling classes\\a.varno");
    StatusText("busy");
    TTraceList trace;
    trace.add("a.varno", 12);
    LogWithTrace("printed", trace);
    EXPECT_EQ(capture.count(), 0);
    ReportError("Something failed", false);
    EXPECT_EQ(capture.count(), 0);
    ReportError("Something failed", true);
    ReportSourceError("Syntax Errora.varno", "a.varno", 40, true);
    EXPECT_EQ(capture.text(), "Something failed\nSyntax Errora.varno\n");
    EXPECT_EQ(duties, 5);
}

TEST(Log, VerboseLinesGoToStandardError) {
    SetLogVerbose(true);
    testing::internal::CaptureStderr();
    Log("Starting System..");
    TTraceList trace;
    trace.add("b.varno", 7);
    LogWithTrace("hello", trace);
    const std::string err = testing::internal::GetCapturedStderr();
    SetLogVerbose(false);
    EXPECT_EQ(err, "Starting System..\nhello\n  at b.varno:7\n");
    testing::internal::CaptureStderr();
    Log("quiet");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(Log, ReadyFlag) {
    EXPECT_FALSE(Ready());
    SetReady(true);
    EXPECT_TRUE(Ready());
    SetReady(false);
}

}  // namespace
}  // namespace varno
