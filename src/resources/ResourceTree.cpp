// Well-known folders, "$" globals made on first use, unique names and the script evaluator.
#include "resources/ResourceTree.h"

#include <algorithm>

#include "resources/ResourceList.h"
#include "resources/ResourceLoader.h"
#include "resources/SGML.h"
#include "runtime/CaseFold.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

TResourceList* g_globalFolder = nullptr;
TScriptEvaluator g_evaluator;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The position of a trailing "_" followed by one or more digits, or npos.
std::size_t NumberSuffix(std::string_view name) {
    std::size_t i = name.size();
    while (i > 0 && IsDigit(name[i - 1])) --i;
    if (i == name.size() || i == 0 || name[i - 1] != '_') return std::string_view::npos;
    return i - 1;
}

}  // namespace

TResourceList* FindFolder(std::string_view dottedName) {
    return dynamic_cast<TResourceList*>(FindResource(dottedName));
}

void SetGlobalFolder(TResourceList* folder) { g_globalFolder = folder; }

TResourceList* GlobalFolder() { return g_globalFolder; }

TResource* FindOrMakeGlobal(std::string_view name) {
    if (g_globalFolder == nullptr || name.empty() || name.front() != '$') return nullptr;
    if (TResource* found = g_globalFolder->FindChild(name)) return found;
    std::unique_ptr<TResource> made = ReadResourceText("<globalvalue name=\"" + EscapeAttr(name) + "\">");
    TResource* raw = made.get();
    g_globalFolder->AddChild(std::move(made));
    return raw;
}

std::string UniqueName(TResource& folder, std::string_view name) {
    std::vector<std::string> names;
    if (auto it = folder.NewIterator()) {
        while (it->HasNext()) names.push_back(it->Next()->Name());
    }
    if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return SameText(n, name); })) {
        return std::string(name);
    }
    std::string_view stem = name;
    if (const std::size_t suffix = NumberSuffix(name); suffix != std::string_view::npos) stem = name.substr(0, suffix);
    const std::string foldedStem = FoldCase(stem);
    long long highest = 0;
    for (const std::string& n : names) {
        const std::size_t suffix = NumberSuffix(n);
        if (suffix == std::string::npos || FoldCase(n).find(foldedStem) == std::string::npos) continue;
        const std::string digits = n.substr(suffix + 1);
        // Beyond 18 digits the number cannot be the highest one worth counting up from.
        const long long number = digits.size() > 18 ? 0 : std::stoll(digits);
        highest = std::max(highest, number);
    }
    return std::string(stem) + "_" + std::to_string(highest + 1);
}

void SetScriptEvaluator(TScriptEvaluator evaluator) { g_evaluator = std::move(evaluator); }

const TScriptEvaluator& ScriptEvaluator() { return g_evaluator; }

int EvaluateScript(std::string_view text) {
    if (!g_evaluator) return 1;
    const TScriptEvaluator evaluator = g_evaluator;  // the run may replace the evaluator
    return evaluator(text);
}

}  // namespace varno
