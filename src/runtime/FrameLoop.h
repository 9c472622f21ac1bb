// The frame loop: the idle handler that runs the root process once per due frame period.
#pragma once

#include <cstdint>
#include <string>

#include "base/Error.h"

namespace varno {

class IClock;

// Raised by the window layer for an operation the window system refuses; when it reaches
// the frame loop, the loop stops redrawing for good instead of showing a message box.
class EInvalidOperation : public EVarno {
public:
    using EVarno::EVarno;
};

// What the frame loop drives. Each subsystem that the loop calls into installs its part
// by overriding the matching operation; the defaults are what a host without that
// subsystem does (no calibration window, always running, nothing to draw).
class IFrameHost {
public:
    virtual ~IFrameHost() = default;

    // The loop is inactive while any of these says so.
    virtual bool autoRun() { return true; }            // the debugger's automatic-run box
    virtual bool debuggerStopped() { return false; }   // the debugger pause is active
    virtual bool hasRootProcess() = 0;
    virtual bool deactivationPause() { return false; } // the project pauses when inactive
    virtual bool applicationActive() { return true; }

    virtual bool calibrationVisible() { return false; }
    virtual void refreshCalibration() {}
    virtual void pauseStart() {}
    virtual void pauseEnd() {}

    // One frame: "$_doDraw" is set first, the sprite list cleared before a drawn frame.
    virtual void setDoDraw(int value) = 0;
    virtual void clearSprites() {}
    virtual void runRoot(int budget) = 0;
    virtual bool pageChangePending() { return false; }
    virtual void carryOutPendingChange() {}

    virtual void clearPreempted() {}
    virtual bool preempted() { return false; }
    virtual void updateSequencer() {}
    virtual void drawAll() {}
    virtual std::string statisticsLine() { return {}; }
    virtual void setCaption(const std::string& /*text*/) {}
    virtual void setPreemptionLabel(const std::string& /*text*/) {}

    virtual void openSection(int /*section*/) {}
    virtual void closeSection(int /*section*/) {}

    // An error that escaped the frame's process runs.
    virtual void reportError(const std::string& text);  // default: a message box
    virtual void log(const std::string& /*text*/) {}
    virtual void showLoaderWindow() {}
};

// The draw flag: up only while the last frame of a batch runs; the sprite natives read it.
bool DrawFlag();
void SetDrawFlag(bool up);

class TFrameLoop {
public:
    static constexpr int kRunBudget = 123456;
    static constexpr int kHistoryLength = 10;

    // Starts the schedule at the clock's present time. Neither argument is owned.
    TFrameLoop(IFrameHost& host, IClock& clock);

    // The application's idle handler. Returns done: true when the caller should wait for
    // the next window message before calling again, false to call again at once.
    bool main();

    // The frame-rate native: the period is taken only above 9 ms, the cap only above 0.
    void setFrameRate(int period, int cap = 0);

    // Restarts the schedule and the history, as installing the handler does.
    void reinstall();

    int framePeriod() const { return m_framePeriod; }
    int frameSkipCap() const { return m_frameSkipCap; }
    double nextFrameTime() const { return m_nextFrameTime; }
    const std::string& timingHistory() const { return m_timingHistory; }
    int drawnFrames() const { return m_drawnFrames; }
    int frameCount() const { return m_frameCount; }
    bool inFrame() const { return m_inFrame; }
    bool soundStopped() const { return m_soundStopped; }
    bool drawingStopped() const { return m_drawingStopped; }

private:
    bool active();
    void runBatch();
    void recordHistory(std::int64_t due);

    IFrameHost& m_host;
    IClock& m_clock;
    double m_nextFrameTime = 0;
    int m_framePeriod = 17;
    int m_frameSkipCap = 7;
    bool m_inFrame = false;
    bool m_soundStopped = false;
    bool m_drawingStopped = false;
    std::string m_timingHistory;
    int m_historyIndex = 1;
    int m_drawnFrames = 0;
    int m_frameCount = 0;
};

}  // namespace varno
