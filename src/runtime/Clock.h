// The millisecond clock behind the frame loop and every timing of the host; tests drive a fake.
#pragma once

#include <chrono>

namespace varno {

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary fixed start, with sub-millisecond resolution.
    virtual double nowMs() = 0;
    // Gives the processor away for about ms milliseconds (0: just yield).
    virtual void sleepMs(int ms) = 0;
};

// The monotonic clock of the host.
class TSteadyClock final : public IClock {
public:
    double nowMs() override;
    void sleepMs(int ms) override;

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// A clock that moves only when told to; sleeping advances it by the time slept.
class TFakeClock final : public IClock {
public:
    double nowMs() override { return m_now; }
    void sleepMs(int ms) override {
        m_now += ms;
        m_slept += ms;
        ++m_sleeps;
    }
    void set(double ms) { m_now = ms; }
    void advance(double ms) { m_now += ms; }
    int sleeps() const { return m_sleeps; }
    int slept() const { return m_slept; }

private:
    double m_now = 0;
    int m_sleeps = 0;
    int m_slept = 0;
};

}  // namespace varno
