// TCustomResource: a node whose kind is a kernel script class (classes.customres.TAG).
#pragma once

#include <memory>
#include <string>

#include "runtime/Resource.h"

namespace varno {

class TSGML;

// The node's script value is the custom object, an instance of the class named like the
// tag, made when the node is built; its field "_generator" refers to the node. The
// object's string fields travel through resinst child elements.
class TCustomResource : public TResource {
public:
    // Builds the node and its object from element (the tag table found the class).
    TCustomResource(const TSGML& element, std::string name, std::string src);
    const char* hostClassName() const override { return "TCustomResource"; }

    const std::string& TagName() const { return m_tagName; }
    // The custom object, or none (a refused legacy tag, a class that is not compiled).
    TfObject* Object();

    // Initialization in passes that lets the object ask for more passes (below).
    bool Initialize() override;
    // Asks the object's onInit: 0 or 1 Pending, 2 Done, 3 Failed. Without an object the
    // node counts Done, so it never holds up initialization.
    void InitStep(TInitContext& context) override;
    // One line: the element named after the object's class with name, src and a resinst
    // child per string field. Without an object, the tag it was read from with name and
    // src only.
    void WriteTo(TLines& lines, const std::string& indent) override;

private:
    std::string m_tagName;
};

// The multi-pass loop of Initialize for subtrees that may hold custom resources. It is the
// loop of every node (a pass that fails raises "Initialization Failed", a pass that makes
// no progress "Recursive Inheritance"), except that a pass in which a custom resource's
// onInit asked for another pass counts as progress: otherwise an onInit answering 0 in two
// passes in a row could never be asked a third time. Passes asked for that way stop at
// kMaxInitPasses, so a resource that never gets ready still ends in "Recursive Inheritance".
bool InitializeInPasses(TResource& node);
constexpr int kMaxInitPasses = 1000;

}  // namespace varno
