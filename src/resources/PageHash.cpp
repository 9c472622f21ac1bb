// File hash codes drawn from the script's random generator, and their sum over a tree.
#include "resources/PageHash.h"

#include <algorithm>

#include "base/Path.h"
#include "resources/SystemPath.h"
#include "runtime/Log.h"

namespace varno {
namespace {

constexpr std::uint32_t kSeedMask = 123459876;  // 0x75BD924
constexpr std::uint32_t kMultiplier = 48828125;
constexpr std::uint32_t kRange = 1u << 30;

std::uint32_t Next(std::uint32_t& state) {
    state = (state * kMultiplier) & (kRange - 1);
    return state;
}

// A uniform integer below m (m >= 1), rejecting the draws beyond the last whole bucket.
std::uint32_t Below(std::uint32_t& state, std::uint32_t m) {
    const std::uint32_t d = kRange / m;
    std::uint32_t q;
    do {
        q = Next(state) / d;
    } while (q >= m);
    return q;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

std::int32_t PageHashCode(std::string_view path, std::uint32_t& randomState) {
    if (EndsWith(path, ".dll") || EndsWith(path, ".mid")) return 0;
    const auto bytes = ReadFileBytes(HostPath(path));
    if (!bytes) return 0;
    Log("hashCode .." + std::string(path));
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < bytes->size(); ++i) {
        const auto b = static_cast<std::uint32_t>(static_cast<unsigned char>((*bytes)[i]));
        randomState = (b * static_cast<std::uint32_t>(i)) ^ kSeedMask;
        Next(randomState);
        const std::uint32_t k = Below(randomState, 3) + 1;
        for (std::uint32_t j = 0; j < k; ++j) sum += Next(randomState);
    }
    return static_cast<std::int32_t>(sum);
}

void TPageFileEnum::Visit(TResource& node) {
    const std::string& src = node.Src();
    if (src.empty()) return;
    const bool known = std::any_of(m_files.begin(), m_files.end(), [&](const std::string& f) { return f == src; });
    if (!known) m_files.push_back(src);
}

std::int32_t TPageFileEnum::HashSum(std::uint32_t& randomState) const {
    std::uint32_t sum = 0;
    for (const std::string& file : m_files) sum += static_cast<std::uint32_t>(PageHashCode(file, randomState));
    return static_cast<std::int32_t>(sum);
}

}  // namespace varno
