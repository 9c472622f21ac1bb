// Hash codes of resource files: PageHashCode and the collector that sums them over a tree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Resource.h"

namespace varno {

// The hash code of the file at path (a system path): 0 when there is no file or its
// extension is ".dll" or ".mid" (letter case significant). For each byte b at position i
// the script's random generator is seeded with b * i, one number drawn and dropped, and
// then 1 to 3 numbers (a bounded draw below 3, plus 1) drawn and added. randomState is
// the generator's state (the one behind rnd), which the hash leaves reseeded. Logs
// "hashCode .." + path.
std::int32_t PageHashCode(std::string_view path, std::uint32_t& randomState);

// TPageFileEnum: collects each distinct non-empty Src of the nodes it visits, in order.
class TPageFileEnum : public TResourceIterator {
public:
    void Visit(TResource& node) override;
    const std::vector<std::string>& Files() const { return m_files; }
    // The sum (32-bit wrap) of the files' hash codes.
    std::int32_t HashSum(std::uint32_t& randomState) const;

private:
    std::vector<std::string> m_files;
};

}  // namespace varno
