// The alias table of short class names.
#include "runtime/Alias.h"

#include <string>
#include <unordered_map>

#include "runtime/CaseFold.h"

namespace varno {
namespace {

struct TAliasState {
    std::unordered_map<std::string, TRTTI*> table;  // folded name -> class
    bool enabled = true;
};

TAliasState& State() {
    static TAliasState state;
    return state;
}

}  // namespace

TRTTI* TAlias::Find(std::string_view name) {
    const auto& table = State().table;
    const auto it = table.find(FoldCase(name));
    return it == table.end() ? nullptr : it->second;
}

bool TAlias::Register(std::string_view name, TRTTI* cls) {
    if (!State().enabled) return false;
    return State().table.try_emplace(FoldCase(name), cls).second;
}

void TAlias::Unregister(std::string_view name, const TRTTI* cls) {
    auto& table = State().table;
    const auto it = table.find(FoldCase(name));
    if (it != table.end() && it->second == cls) table.erase(it);
}

void TAlias::SetEnabled(bool enabled) { State().enabled = enabled; }
bool TAlias::Enabled() { return State().enabled; }

}  // namespace varno
