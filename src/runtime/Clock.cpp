// The host's monotonic clock.
#include "runtime/Clock.h"

#include <thread>

namespace varno {

double TSteadyClock::nowMs() {
    const auto elapsed = std::chrono::steady_clock::now() - m_start;
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

void TSteadyClock::sleepMs(int ms) {
    if (ms <= 0) {
        std::this_thread::yield();
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

}  // namespace varno
