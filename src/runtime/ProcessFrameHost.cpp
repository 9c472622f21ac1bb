// The frame loop's runtime host: the root process, "$_doDraw", preemption, the pause state.
#include "runtime/ProcessFrameHost.h"

#include "runtime/NativeContract.h"
#include "runtime/Process.h"

namespace varno {

bool TProcessFrameHost::debuggerStopped() { return ProcessGlobals().stopped; }

void TProcessFrameHost::setDoDraw(int value) { SetGlobal("$_doDraw", TValue::Int(value)); }

void TProcessFrameHost::runRoot(int budget) {
    if (m_root != nullptr) m_root->Run(budget);
}

void TProcessFrameHost::clearPreempted() { ProcessGlobals().preempted = false; }

bool TProcessFrameHost::preempted() { return ProcessGlobals().preempted; }

}  // namespace varno
