// The symbol table: an open-addressing hash over case-folded names, numbers in order of arrival.
#include "runtime/Symbols.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/CaseFold.h"

namespace varno {
namespace {

class TSymbolTable {
public:
    TSymbolTable() {
        m_slots.assign(256, -1);
        for (const char* name : {"_body", "gc_mark", "_generator", "_errorHook"}) intern(name);
    }

    // The number of a folded name, or -1.
    std::int32_t findFolded(std::string_view folded, std::size_t hash) const noexcept {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const std::int32_t n = m_slots[i];
            if (n < 0) return -1;
            if (m_hashes[n] == hash && m_folded[n] == folded) return n;
        }
    }

    template <class Fn>
    static auto withFolded(std::string_view name, Fn&& fn) {
        char small[64];
        if (name.size() <= sizeof small) {
            FoldCaseInto(name, small);
            return fn(std::string_view(small, name.size()));
        }
        const std::string folded = FoldCase(name);
        return fn(std::string_view(folded));
    }

    std::int32_t find(std::string_view name) const noexcept {
        return withFolded(name, [&](std::string_view folded) { return findFolded(folded, Hash(folded)); });
    }

    std::int32_t intern(std::string_view name) {
        return withFolded(name, [&](std::string_view folded) {
            const std::size_t hash = Hash(folded);
            const std::int32_t found = findFolded(folded, hash);
            return found >= 0 ? found : add(name, folded, hash);
        });
    }

    std::int32_t add(std::string_view name, std::string_view folded, std::size_t hash) {
        const auto n = static_cast<std::int32_t>(m_names.size());
        m_names.emplace_back(name);
        m_folded.emplace_back(folded);
        m_hashes.push_back(hash);
        if (m_names.size() * 2 > m_slots.size()) rehash();
        else place(n);
        return n;
    }

    const std::string& name(std::int32_t n) const noexcept {
        static const std::string empty;
        if (n < 0 || static_cast<std::size_t>(n) >= m_names.size()) return empty;
        return m_names[n];
    }

    std::int32_t count() const noexcept { return static_cast<std::int32_t>(m_names.size()); }

private:
    // A word-at-a-time hash of folded bytes.
    static std::size_t Hash(std::string_view folded) noexcept {
        std::uint64_t h = 0x9E3779B97F4A7C15ull ^ folded.size();
        std::size_t i = 0;
        for (; i + 8 <= folded.size(); i += 8) {
            std::uint64_t w;
            std::memcpy(&w, folded.data() + i, 8);
            h = (h ^ w) * 0xFF51AFD7ED558CCDull;
        }
        if (i < folded.size()) {
            // Gathered with shifts: a partial memcpy into w would stall the load after it.
            std::uint64_t w = 0;
            for (std::size_t k = 0; i + k < folded.size(); ++k) {
                w |= std::uint64_t{static_cast<unsigned char>(folded[i + k])} << (8 * k);
            }
            h = (h ^ w) * 0xFF51AFD7ED558CCDull;
        }
        return static_cast<std::size_t>(h ^ (h >> 32));
    }

    void place(std::int32_t n) {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t i = m_hashes[n] & mask;
        while (m_slots[i] >= 0) i = (i + 1) & mask;
        m_slots[i] = n;
    }

    void rehash() {
        m_slots.assign(m_slots.size() * 2, -1);
        for (std::int32_t n = 0; n < count(); ++n) place(n);
    }

    std::vector<std::string> m_names;    // by number: the first spelling
    std::vector<std::string> m_folded;   // by number: the folded name
    std::vector<std::size_t> m_hashes;   // by number: hash of the folded name
    std::vector<std::int32_t> m_slots;   // hash slots: a number or -1
};

TSymbolTable& Table() {
    static TSymbolTable table;
    return table;
}

}  // namespace

std::int32_t Intern(std::string_view name) { return Table().intern(name); }

std::int32_t FindSymbol(std::string_view name) noexcept { return Table().find(name); }

const std::string& SymbolName(std::int32_t symbol) noexcept { return Table().name(symbol); }

std::int32_t SymbolCount() noexcept { return Table().count(); }

}  // namespace varno
