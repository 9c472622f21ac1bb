// The frame loop's schedule, driven by a fake clock and a recording host.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "base/MessageBox.h"
#include "runtime/Clock.h"
#include "runtime/FrameLoop.h"

namespace varno {
namespace {

// Records what the loop asked for, frame by frame.
struct TRecordingHost : IFrameHost {
    bool root = true;
    bool running = true;
    bool activeApp = true;
    int pageChangeAfter = -1;  // frames after which a page change is pending
    std::vector<int> doDraw;   // "$_doDraw" of each run frame
    std::vector<bool> drawFlagAtRun;
    int draws = 0;
    int sequencerUpdates = 0;
    int pauseStarts = 0;
    std::string caption;
    std::string logged;
    bool throwInRun = false;
    bool throwInvalid = false;

    bool autoRun() override { return running; }
    bool hasRootProcess() override { return root; }
    bool applicationActive() override { return activeApp; }
    void pauseStart() override { ++pauseStarts; }
    void setDoDraw(int value) override { doDraw.push_back(value); }
    void runRoot(int budget) override {
        EXPECT_EQ(budget, 123456);
        drawFlagAtRun.push_back(DrawFlag());
        if (throwInvalid) throw EInvalidOperation("canvas");
        if (throwInRun) throw std::runtime_error("boom");
    }
    bool pageChangePending() override {
        return pageChangeAfter >= 0 && static_cast<int>(doDraw.size()) >= pageChangeAfter;
    }
    void updateSequencer() override { ++sequencerUpdates; }
    void drawAll() override { ++draws; }
    std::string statisticsLine() override { return " stats"; }
    void setCaption(const std::string& text) override { caption = text; }
    void log(const std::string& text) override { logged += text; }
};

struct FrameLoopTest : ::testing::Test {
    TFakeClock clock;
    TRecordingHost host;
};

TEST_F(FrameLoopTest, RunsDueFramesAndDrawsOnlyTheLast) {
    clock.set(1000);
    TFrameLoop loop(host, clock);
    clock.set(1000 + 40);  // 40 ms after the due time: two whole periods
    EXPECT_FALSE(loop.main());
    EXPECT_EQ(host.doDraw, (std::vector<int>{0, 1}));
    EXPECT_EQ(host.drawFlagAtRun, (std::vector<bool>{false, true}));
    EXPECT_DOUBLE_EQ(loop.nextFrameTime(), 1034);
    EXPECT_EQ(host.draws, 1);
    EXPECT_EQ(loop.frameCount(), 2);
    EXPECT_EQ(host.caption, "0:2000000000 stats");
}

TEST_F(FrameLoopTest, LateCallRunsTheCapAndDropsTheBacklog) {
    TFrameLoop loop(host, clock);
    clock.advance(1000);  // 58 periods late
    loop.main();
    EXPECT_EQ(host.doDraw.size(), 7u);
    EXPECT_DOUBLE_EQ(loop.nextFrameTime(), 58 * 17);
    EXPECT_EQ(loop.timingHistory()[0], static_cast<char>(106));
    // The next call is on schedule again: no catch-up burst.
    clock.set(58 * 17 + 17);
    loop.main();
    EXPECT_EQ(host.doDraw.size(), 8u);
}

TEST_F(FrameLoopTest, EarlyCallRunsNothingButKeepsTheBookkeeping) {
    TFrameLoop loop(host, clock);
    clock.advance(16);
    EXPECT_FALSE(loop.main());
    EXPECT_TRUE(host.doDraw.empty());
    EXPECT_EQ(host.draws, 0);
    EXPECT_EQ(host.sequencerUpdates, 1);
    EXPECT_EQ(clock.sleeps(), 1);
    EXPECT_EQ(host.caption, "0:0000000000 stats");
}

TEST_F(FrameLoopTest, HistoryIsARingOfTenCounts) {
    TFrameLoop loop(host, clock);
    for (int call = 0; call < 12; ++call) {
        clock.advance(17 * (call % 3));
        loop.main();
    }
    // Counts 0,1,2,0,1,2,0,1,2,0; the 11th and 12th calls (1 and 2) overwrite places 1 and 2.
    EXPECT_EQ(loop.timingHistory(), "1220120120");
}

TEST_F(FrameLoopTest, InactiveLoopFollowsTheClockAndResumesWithoutCatchUp) {
    TFrameLoop loop(host, clock);
    host.running = false;
    clock.advance(500);
    EXPECT_TRUE(loop.main());
    EXPECT_EQ(host.pauseStarts, 1);
    EXPECT_DOUBLE_EQ(loop.nextFrameTime(), 500);
    host.running = true;
    clock.advance(17);
    loop.main();
    EXPECT_EQ(host.doDraw.size(), 1u);
}

TEST_F(FrameLoopTest, PageChangeEndsTheBatch) {
    TFrameLoop loop(host, clock);
    host.pageChangeAfter = 2;
    clock.advance(17 * 5);
    loop.main();
    EXPECT_EQ(host.doDraw.size(), 2u);
    EXPECT_EQ(host.draws, 0);  // the drawn frame never ran
}

TEST_F(FrameLoopTest, FrameRateLimits) {
    TFrameLoop loop(host, clock);
    loop.setFrameRate(5);
    EXPECT_EQ(loop.framePeriod(), 17);
    loop.setFrameRate(33, 2);
    EXPECT_EQ(loop.framePeriod(), 33);
    EXPECT_EQ(loop.frameSkipCap(), 2);
    loop.setFrameRate(20, 0);
    EXPECT_EQ(loop.frameSkipCap(), 2);
}

TEST_F(FrameLoopTest, ErrorsOutsideRunsStopSoundAndReport) {
    TFrameLoop loop(host, clock);
    host.throwInRun = true;
    clock.advance(17);
    TMessageCapture messages;
    loop.main();
    EXPECT_EQ(messages.text(), "Runtim Error:boom\n");
    EXPECT_TRUE(loop.soundStopped());
    EXPECT_FALSE(loop.inFrame());
    EXPECT_FALSE(loop.drawingStopped());

    host.throwInRun = false;
    host.throwInvalid = true;
    clock.advance(17);
    loop.main();
    EXPECT_EQ(host.logged, "Runtim Error:canvas");
    EXPECT_TRUE(loop.drawingStopped());
    host.throwInvalid = false;
    clock.advance(17);
    loop.main();
    EXPECT_EQ(host.draws, 0);  // never redraws after an invalid operation
}

TEST_F(FrameLoopTest, ClockJumpFarAheadDoesNotOverflow) {
    TFrameLoop loop(host, clock);
    clock.advance(1e300);
    loop.main();
    EXPECT_EQ(host.doDraw.size(), 7u);
}

}  // namespace
}  // namespace varno
