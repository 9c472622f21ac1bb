// Compiled regular-expression commands kept by their text, so a pattern compiles once.
#pragma once

#include "services/regex/RegexCommand.h"

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace varno {

// A bounded cache: when full, the command used longest ago is dropped (a caller still holding
// it keeps it alive). Texts that fail to compile are not kept; each use raises again.
class TPatternCache {
public:
    static constexpr std::size_t kDefaultCapacity = 256;

    explicit TPatternCache(std::size_t capacity = kDefaultCapacity);

    // The one cache the regular-expression service uses.
    static TPatternCache& Shared();

    // The command for text, compiled on first use. Throws EBRegExpError as TRegexCommand::Parse.
    std::shared_ptr<const TRegexCommand> get(std::string_view text);

    std::size_t size() const;
    void clear();

private:
    using TEntry = std::pair<std::string, std::shared_ptr<const TRegexCommand>>;

    std::size_t m_capacity;
    mutable std::mutex m_mutex;
    std::list<TEntry> m_entries;  // most recently used first
    std::unordered_map<std::string_view, std::list<TEntry>::iterator> m_index;  // keys view m_entries
};

}  // namespace varno
