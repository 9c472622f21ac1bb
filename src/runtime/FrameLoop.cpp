// The frame loop: frames are scheduled from the clock, at most FrameSkipCap per idle call,
// and only the last frame of a batch draws.
#include "runtime/FrameLoop.h"

#include <cmath>
#include <limits>

#include "base/MessageBox.h"
#include "runtime/Clock.h"

namespace varno {
namespace {

bool s_drawFlag = false;

// Profiler sections around the batch, the drawing and each root-process run.
constexpr int kSectionBatch = 45;
constexpr int kSectionDraw = 46;
constexpr int kSectionRun = 47;

}  // namespace

bool DrawFlag() { return s_drawFlag; }
void SetDrawFlag(bool up) { s_drawFlag = up; }

void IFrameHost::reportError(const std::string& text) { ShowMessage(text); }

TFrameLoop::TFrameLoop(IFrameHost& host, IClock& clock) : m_host(host), m_clock(clock) { reinstall(); }

void TFrameLoop::reinstall() {
    m_timingHistory.assign(kHistoryLength, '0');
    m_historyIndex = 1;
    m_nextFrameTime = m_clock.nowMs();
}

void TFrameLoop::setFrameRate(int period, int cap) {
    if (period > 9) m_framePeriod = period;
    if (cap > 0) m_frameSkipCap = cap;
}

bool TFrameLoop::active() {
    if (!m_host.autoRun() || m_host.debuggerStopped() || !m_host.hasRootProcess() || m_inFrame) return false;
    return !(m_host.deactivationPause() && !m_host.applicationActive());
}

void TFrameLoop::recordHistory(std::int64_t due) {
    // Counts above 9 go on through the character table (10 is ':'); the digit is a byte.
    m_timingHistory[m_historyIndex - 1] = static_cast<char>(static_cast<unsigned char>(48 + due));
    if (++m_historyIndex > kHistoryLength) m_historyIndex = 1;
}

void TFrameLoop::runBatch() {
    m_host.pauseEnd();
    m_host.clearPreempted();
    m_host.openSection(kSectionBatch);

    // Whole periods since the due time, toward zero; a clock that jumps far ahead must
    // not overflow the count, so it is clamped before the conversion.
    const double late = (m_clock.nowMs() - m_nextFrameTime) / m_framePeriod;
    const double limit = static_cast<double>(std::numeric_limits<std::int32_t>::max());
    const std::int64_t counted = late <= 0 ? 0 : static_cast<std::int64_t>(std::trunc(std::min(late, limit)));
    recordHistory(counted);
    // The schedule keeps its phase; frames beyond the cap are dropped, not caught up.
    m_nextFrameTime += static_cast<double>(counted) * m_framePeriod;

    std::int64_t n = std::min<std::int64_t>(counted, m_frameSkipCap);
    SetDrawFlag(false);
    while (n > 0) {
        const bool last = n == 1;
        SetDrawFlag(last);
        m_host.setDoDraw(last ? 1 : 0);
        if (last) m_host.clearSprites();
        m_host.openSection(kSectionRun);
        m_host.runRoot(kRunBudget);
        m_host.closeSection(kSectionRun);
        --n;
        ++m_frameCount;
        if (m_host.pageChangePending()) break;
    }

    if (!m_soundStopped) m_host.updateSequencer();
    m_host.closeSection(kSectionBatch);

    if (!m_host.applicationActive()) m_clock.sleepMs(100);
    m_clock.sleepMs(0);

    m_host.openSection(kSectionDraw);
    if (DrawFlag() && !m_drawingStopped) {
        ++m_drawnFrames;
        m_host.drawAll();
    }
    m_host.closeSection(kSectionDraw);
    m_host.setCaption("0:" + m_timingHistory + m_host.statisticsLine());
}

bool TFrameLoop::main() {
    bool done = false;
    if (m_host.calibrationVisible()) {
        m_host.refreshCalibration();
    } else if (!active()) {
        m_nextFrameTime = m_clock.nowMs();
        m_host.pauseStart();
        done = true;
    } else {
        m_inFrame = true;
        try {
            runBatch();
        } catch (const EInvalidOperation& e) {
            m_soundStopped = true;
            m_drawingStopped = true;
            m_host.log(std::string("Runtim Error:") + e.what());
            m_host.showLoaderWindow();
        } catch (const std::exception& e) {
            m_soundStopped = true;
            m_host.reportError(std::string("Runtim Error:") + e.what());
            m_host.showLoaderWindow();
        }
        m_inFrame = false;
    }
    m_host.carryOutPendingChange();
    m_host.setPreemptionLabel(m_host.preempted() ? "Preempted" : "not Preempted");
    return done;
}

}  // namespace varno
