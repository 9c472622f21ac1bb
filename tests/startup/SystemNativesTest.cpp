// The System natives, called from scripts through the kernel class System.
#include <gtest/gtest.h>

#include "KernelFixture.h"
#include "runtime/ProcessGlobals.h"
#include "startup/SystemNatives.h"

namespace varno {
namespace {

class SystemNatives : public test::TKernelFixture {
protected:
    void SetUp() override {
        TKernelFixture::SetUp();
        m_savedHost = SystemHost();
        m_savedStack = ProcessGlobals().defaultStackSize;
        SystemHost() = {};
        SystemHost().closeMainWindow = [this] { ++closed; };
        SystemHost().startProgram = [this](const std::string& file) {
            started.push_back(file);
            return true;
        };
    }
    void TearDown() override {
        SystemHost() = m_savedHost;
        ProcessGlobals().defaultStackSize = m_savedStack;
        TKernelFixture::TearDown();
    }

    int closed = 0;
    std::vector<std::string> started;

private:
    TSystemHost m_savedHost;
    std::int32_t m_savedStack = 0;
};

TEST_F(SystemNatives, FrameRateLimits) {
    varno::Boot();
    struct {
        const char* call;
        int period;
        int batch;
    } steps[] = {
        {"s.setFrameRate(5);", 17, 7},       // 9 ms and less are ignored
        {"s.setFrameRate(20, 0);", 20, 7},   // a batch limit of 0 is ignored
        {"s.setFrameRate(10, 3);", 10, 3},
        {"s.setFrameRate(9, -1);", 10, 3},
        {"s.setFrameRate(33.9, 2.5);", 33, 2},  // whole numbers
        {"s.setFrameRate();", 33, 2},           // no argument: nothing
    };
    for (const auto& step : steps) {
        run(std::string("s = new System();") + step.call);
        EXPECT_EQ(SystemHost().framePeriod, step.period) << step.call;
        EXPECT_EQ(SystemHost().frameSkipCap, step.batch) << step.call;
    }
}

TEST_F(SystemNatives, StackSizeVersionLocaleAndEditCode) {
    test::WriteBytes(dir() / "Kernel" / "message.ini", "locale=ja\r\n");
    varno::Boot();
    run("s = new System(); s.setStackSize(4096); $v = s.version(); $l = s.locale(); $e = s.editCode();");
    EXPECT_EQ(ProcessGlobals().defaultStackSize, 4096);
    EXPECT_EQ(global("$v").asInt(), 1230);
    EXPECT_EQ(globalText("$l"), "ja");
    run("s = new System(); s.setStackSize(\"2048\");");  // taken as an integer: an object counts 1
    EXPECT_EQ(ProcessGlobals().defaultStackSize, 1);
    EXPECT_EQ(closed, 0);
}

TEST_F(SystemNatives, ExitAndOpenIDECloseTheMainWindow) {
    varno::Boot();
    run("s = new System(); s.exit();");
    EXPECT_EQ(closed, 1);
    run("s = new System(); s.openIDE();");  // without the IDE next to the program: only closes
    EXPECT_EQ(closed, 2);
    EXPECT_TRUE(started.empty());
    test::WriteBytes(dir() / "varno.EXE", "");
    run("s = new System(); s.openIDE();");
    EXPECT_EQ(closed, 3);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(std::filesystem::path(started[0]).filename(), "varno.EXE");
}

}  // namespace
}  // namespace varno
