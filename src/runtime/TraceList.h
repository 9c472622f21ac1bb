// TTraceList: a call-stack description, one (source file, position) entry per frame.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace varno {

class TTraceList {
public:
    struct TEntry {
        std::string path;      // source file of the frame's class
        std::int32_t number;   // byte offset in that source
    };

    void add(std::string path, std::int32_t number) { m_entries.push_back({std::move(path), number}); }
    int count() const { return static_cast<int>(m_entries.size()); }
    const TEntry& entry(int i) const { return m_entries[static_cast<std::size_t>(i)]; }
    void clear() { m_entries.clear(); }

private:
    std::vector<TEntry> m_entries;
};

}  // namespace varno
