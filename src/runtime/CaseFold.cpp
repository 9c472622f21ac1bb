// Case folding that respects two-byte Shift-JIS characters.
#include "runtime/CaseFold.h"

#include <cstdint>
#include <cstring>

#include "base/Text.h"

namespace varno {
namespace {

// Calls fn(folded byte) for each byte of text.
template <class Fn>
void ForEachFolded(std::string_view text, Fn&& fn) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(c) && i + 1 < text.size()) {
            fn(c);
            fn(static_cast<unsigned char>(text[++i]));
        } else {
            fn(c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c);
        }
    }
}

}  // namespace

void FoldCaseInto(std::string_view text, char* out) noexcept {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    const std::size_t n = text.size();
    std::uint64_t high = 0;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, 8);
        high |= w;
    }
    for (; i < n; ++i) high |= static_cast<unsigned char>(text[i]);
    if ((high & kHigh) != 0) {  // two-byte characters: fold byte by byte
        std::size_t at = 0;
        ForEachFolded(text, [&](unsigned char c) { out[at++] = static_cast<char>(c); });
        return;
    }
    // Plain ASCII, eight bytes at a time: set bit 5 of every byte from 'A' to 'Z'.
    for (i = 0; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, 8);
        const std::uint64_t geA = w + (0x80 - 'A') * kOnes;
        const std::uint64_t gtZ = w + (0x80 - 'Z' - 1) * kOnes;
        w |= ((geA & ~gtZ) & kHigh) >> 2;
        std::memcpy(out + i, &w, 8);
    }
    for (; i < n; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        out[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
}

std::string FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachFolded(text, [&](unsigned char c) { out.push_back(static_cast<char>(c)); });
    return out;
}

int CompareText(std::string_view a, std::string_view b) noexcept {
    // Walk both texts in step; a lead byte in one and not the other differs anyway.
    std::size_t i = 0;
    std::size_t j = 0;
    bool trailA = false;
    bool trailB = false;
    while (i < a.size() && j < b.size()) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[j]);
        const bool leadA = !trailA && IsLeadByte(ca);
        const bool leadB = !trailB && IsLeadByte(cb);
        if (!trailA && !leadA && ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca + 32);
        if (!trailB && !leadB && cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb + 32);
        if (ca != cb) return ca < cb ? -1 : 1;
        trailA = leadA;
        trailB = leadB;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

bool SameText(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

std::size_t HashText(std::string_view text) noexcept {
    std::size_t h = 14695981039346656037ull;  // FNV-1a
    ForEachFolded(text, [&](unsigned char c) {
        h ^= c;
        h *= 1099511628211ull;
    });
    return h;
}

}  // namespace varno
