// The set of bytes a lexical grammar node can begin with, used to skip hopeless token kinds.
#pragma once

#include <array>
#include <cstdint>

namespace varno {

// A set of byte values 0 to 255: value c is bit c mod 32 of word c div 32.
class TFirst {
public:
    // Adds c; true when it was not in the set before.
    bool add(uint8_t c) {
        const uint32_t bit = 1u << (c % 32);
        uint32_t& word = m_words[c / 32];
        if (word & bit) return false;
        word |= bit;
        return true;
    }

    bool has(uint8_t c) const { return (m_words[c / 32] >> (c % 32)) & 1u; }

    // Adds every value of other; false (and no change) when other is already contained.
    bool unite(const TFirst& other) {
        bool changed = false;
        for (int i = 0; i < 8; ++i) {
            const uint32_t merged = m_words[i] | other.m_words[i];
            if (merged != m_words[i]) {
                m_words[i] = merged;
                changed = true;
            }
        }
        return changed;
    }

    void addRange(uint8_t lo, uint8_t hi) {
        for (int c = lo; c <= hi; ++c) add(static_cast<uint8_t>(c));
    }

    void addAll() { m_words.fill(0xFFFFFFFFu); }

private:
    std::array<uint32_t, 8> m_words{};
};

}  // namespace varno
