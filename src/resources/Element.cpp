// Wrappers of markup elements for scripts, one per element, over trees kept for the run.
#include "resources/Element.h"

#include <unordered_map>
#include <vector>

#include "runtime/Value.h"

namespace varno {
namespace {

// The trees handed to scripts. They are held here, outside the script heap, so that the
// memory they own stays reachable for leak checkers as well.
std::vector<std::unique_ptr<TSGML>>& Roots() {
    static std::vector<std::unique_ptr<TSGML>> roots;
    return roots;
}

std::unordered_map<const TSGML*, TfElement*>& Wrappers() {
    static std::unordered_map<const TSGML*, TfElement*> wrappers;
    return wrappers;
}

}  // namespace

TfElement* TfElement::WrapRoot(std::unique_ptr<TSGML> root) {
    TSGML& element = *root;
    Roots().push_back(std::move(root));
    return WrapInTree(element);
}

TfElement* TfElement::WrapInTree(TSGML& element) {
    auto& wrappers = Wrappers();
    if (const auto it = wrappers.find(&element); it != wrappers.end()) return it->second;
    auto* wrapper = new TfElement(&element);
    wrappers.emplace(&element, wrapper);
    return wrapper;
}

TfElement* TfElement::FromValue(const TValue& value) {
    if (value.tag != tvNative) return nullptr;
    return HostFromRef<TfElement>(value.payload);
}

}  // namespace varno
