// TRapidStringList: a class's member-variable names as symbols, with the one-word-cache find.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Symbols.h"

namespace varno {

class TRapidStringList {
public:
    struct TEntry {
        std::int32_t symbol;
        std::uint32_t zero;  // always 0
    };

    void add(std::string_view name) { addSymbol(Intern(name)); }
    void addSymbol(std::int32_t symbol) { m_entries.push_back({symbol, 0}); }
    int count() const { return static_cast<int>(m_entries.size()); }
    std::int32_t symbolAt(int i) const { return m_entries[static_cast<std::size_t>(i)].symbol; }
    const std::string& nameAt(int i) const { return SymbolName(symbolAt(i)); }
    void clear() { m_entries.clear(); }

    // The index of symbol, or -1. The entry at index cache is tried first; otherwise the
    // list is scanned from the last entry backward, cache following the scan, so that it
    // ends on the match (or -1). The steady state is one index test and one comparison.
    int find(std::int32_t symbol, std::int32_t& cache) const {
        const auto n = static_cast<std::uint32_t>(m_entries.size());
        if (static_cast<std::uint32_t>(cache) < n && m_entries[static_cast<std::uint32_t>(cache)].symbol == symbol) {
            return cache;
        }
        return findSlow(symbol, cache);
    }

    // The first index of symbol in forward order, or -1 (no cache).
    int indexOf(std::int32_t symbol) const {
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            if (m_entries[i].symbol == symbol) return static_cast<int>(i);
        }
        return -1;
    }

private:
    int findSlow(std::int32_t symbol, std::int32_t& cache) const {
        for (int i = count() - 1; i >= 0; --i) {
            if (m_entries[static_cast<std::size_t>(i)].symbol == symbol) {
                cache = i;
                return i;
            }
        }
        cache = -1;
        return -1;
    }

    std::vector<TEntry> m_entries;
};

}  // namespace varno
