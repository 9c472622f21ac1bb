// The bounded, least-recently-used cache of compiled regular-expression commands.
#include "services/regex/PatternCache.h"

namespace varno {

TPatternCache::TPatternCache(std::size_t capacity) : m_capacity(capacity == 0 ? 1 : capacity) {}

TPatternCache& TPatternCache::Shared() {
    static TPatternCache cache;
    return cache;
}

std::shared_ptr<const TRegexCommand> TPatternCache::get(std::string_view text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (const auto found = m_index.find(text); found != m_index.end()) {
        m_entries.splice(m_entries.begin(), m_entries, found->second);
        return found->second->second;
    }
    auto command = TRegexCommand::Parse(text);  // throws before anything is stored
    m_entries.emplace_front(std::string(text), command);
    m_index.emplace(std::string_view(m_entries.front().first), m_entries.begin());
    if (m_entries.size() > m_capacity) {
        m_index.erase(std::string_view(m_entries.back().first));
        m_entries.pop_back();
    }
    return command;
}

std::size_t TPatternCache::size() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries.size();
}

void TPatternCache::clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_index.clear();
    m_entries.clear();
}

}  // namespace varno
