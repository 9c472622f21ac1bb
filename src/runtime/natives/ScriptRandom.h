// TScriptRandom: the 30-bit generator behind rnd and _n_randomize, one state for the whole process.
#pragma once

#include <cstdint>

namespace varno {

// A multiplicative generator modulo 2^30: g := g * 48828125 (32-bit product) with the low
// 30 bits kept. Games rely on _n_randomize(seed) giving the same sequence on every run.
class TScriptRandom {
public:
    static constexpr std::uint32_t kInitial = 0x75BD924;  // 123459876
    static constexpr std::uint32_t kRange = 1u << 30;

    // The next state, 0 .. 2^30 - 1.
    std::uint32_t next() {
        m_state = (m_state * 48828125u) & (kRange - 1);
        return m_state;
    }
    // _n_randomize(seed): the low 24 bits of the seed mixed into the initial state.
    void randomize(std::int32_t seed) { m_state = (static_cast<std::uint32_t>(seed) & 0xFFFFFFu) ^ kInitial; }

    // rnd(): a float in [0, 1). The states nearest 2^30 would round up to 1.0 in single
    // precision; they give the largest float below 1 instead, so that the range holds.
    float unit() {
        const float f = static_cast<float>(next() / 1073741824.0);
        return f < 1.0f ? f : 0.99999994f;
    }
    // rnd(m): uniform in 0 .. m - 1 by rejection; 0 when m < 1. Beyond 2^30 the generator
    // has no more values to give, so the result stays below 2^30.
    std::int32_t below(std::int32_t m) {
        if (m < 1) return 0;
        std::uint32_t d = kRange / static_cast<std::uint32_t>(m);
        if (d == 0) d = 1;
        std::uint32_t q = 0;
        do {
            q = next() / d;
        } while (q >= static_cast<std::uint32_t>(m));
        return static_cast<std::int32_t>(q);
    }

    std::uint32_t state() const { return m_state; }
    void setState(std::uint32_t state) { m_state = state & (kRange - 1); }

private:
    std::uint32_t m_state = kInitial;
};

TScriptRandom& ScriptRandom();

}  // namespace varno
