// TfElement: a markup element that scripts hold through a native reference (the CMML class).
#pragma once

#include <memory>

#include "resources/SGML.h"
#include "runtime/HostObject.h"

namespace varno {

struct TValue;

// Elements are plain records owned by their parents; scripts need a host object to refer
// to. Trees handed to scripts are kept for the rest of the run (the CMML class has no
// native that frees them), so every element a wrapper names stays valid. One wrapper is
// made per element, on first request.
class TfElement final : public THostObject {
public:
    const char* hostClassName() const override { return "TfElement"; }
    TSGML& element() const { return *m_element; }

    // The wrapper of a tree's top element; the tree is kept from now on.
    static TfElement* WrapRoot(std::unique_ptr<TSGML> root);
    // The wrapper of an element of a tree that is kept (a descendant of a wrapped root).
    static TfElement* WrapInTree(TSGML& element);

    // The wrapper a script value refers to, or none.
    static TfElement* FromValue(const TValue& value);

private:
    explicit TfElement(TSGML* element) : m_element(element) {}

    TSGML* m_element;
};

}  // namespace varno
