// TProcessFrameHost: the frame loop's host as far as the runtime goes: the root process.
#pragma once

#include "runtime/FrameLoop.h"

namespace varno {

class TProcess;

// Runs the root process once per frame, sets "$_doDraw", and reports the debugger pause
// and preemption. The screen, the sequencer and the debugger window derive from it (or
// wrap it) to add drawing, sound and their controls. The root process is not owned.
class TProcessFrameHost : public IFrameHost {
public:
    void setRootProcess(TProcess* root) { m_root = root; }
    TProcess* rootProcess() const { return m_root; }

    bool debuggerStopped() override;
    bool hasRootProcess() override { return m_root != nullptr; }
    void setDoDraw(int value) override;
    void runRoot(int budget) override;
    void clearPreempted() override;
    bool preempted() override;

private:
    TProcess* m_root = nullptr;
};

}  // namespace varno
