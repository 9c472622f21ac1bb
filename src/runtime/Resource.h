// TResource: the node of the resource tree, with its virtual operations in their fixed order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/HostObject.h"
#include "runtime/Value.h"

namespace varno {

using TLines = std::vector<std::string>;

// Counters of one initialization pass.
struct TInitContext {
    std::int32_t Pending = 0;
    std::int32_t Done = 0;
    std::int32_t Failed = 0;
};

// Iterates a folder's children; Remove takes out (and destroys) the last one returned.
class TIterator {
public:
    virtual ~TIterator() = default;
    virtual bool HasNext() = 0;
    virtual TResource* Next() = 0;
    virtual void Remove() = 0;
};

// A visitor for ForEach.
class TResourceIterator {
public:
    virtual ~TResourceIterator() = default;
    virtual void Visit(TResource& node) = 0;
};

// What the garbage collector offers the resources it walks.
class ICollector {
public:
    virtual ~ICollector() = default;
    virtual void markValue(TValue& v) = 0;
    virtual void markObject(TfObject& o) = 0;
    virtual void sweepObject(TfObject& o) = 0;
    virtual bool checkMode() const = 0;
};

// A node: source path, name (compared without regard to case), parent folder and the
// script object that stands for it. Nodes are host objects, so scripts can hold native
// references to them. Folders, global variables and the other kinds come from the
// resource library; classes (TRTTI) from this one.
class TResource : public THostObject {
public:
    TResource(std::string name, std::string src);
    ~TResource() override;
    const char* hostClassName() const override { return "TResource"; }

    const std::string& Src() const { return m_src; }
    void SetSrc(std::string src) { m_src = std::move(src); }
    const std::string& Name() const { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }
    TResource* Parent() const { return m_parent; }
    void SetParent(TResource* parent) { m_parent = parent; }
    TValue& ScriptValue() { return m_scriptValue; }

    // The slots, in order. The comment gives the base behaviour.
    virtual std::unique_ptr<TIterator> NewIterator();                 // 0: none (no children)
    virtual void AddChild(std::unique_ptr<TResource> child);          // 1: nothing (the child is freed)
    virtual TResource* FindChild(std::string_view name);              // 2: none
    virtual TValue* ValueCell();                                      // 3: none
    virtual TValue* ScriptObject();                                   // 4: fills the script value on first use
    virtual TResource* Find(std::string_view dottedName);             // 5: dotted lookup
    virtual void RemoveChild(TResource* child);                       // 6: nothing
    virtual bool Initialize();                                        // 7: the multi-pass loop
    virtual void InitStep(TInitContext& context);                     // 8: nothing
    virtual void CommonDir(std::string& directory);                   // 9: narrows to a common folder
    virtual void Relocate(std::string_view oldBase, std::string_view newBase);  // 10: nothing
    virtual void WriteTo(TLines& lines, const std::string& indent);   // 11: nothing
    virtual void DropScriptValues();                                  // 12: forgets object/native value
    virtual void AddedTo(TResource* parent);                          // 13: nothing
    virtual void MarkValues(ICollector& collector);                   // 14: marks the script value
    virtual void Sweep(ICollector& collector);                        // 15: nothing
    virtual void ListNames(TLines& lines, const std::string& prefix); // 16: appends prefix
    virtual void ForEach(TResourceIterator& visitor);                 // 17: visits itself
    virtual std::unique_ptr<TResource> Clone();                       // 18: writes and reads back

private:
    std::string m_src;
    std::string m_name;
    TResource* m_parent = nullptr;
    TValue m_scriptValue;
};

// The root of the tree (the top element of the kernel resource file); start-up sets it.
void SetRootResource(TResource* root);
TResource* RootResource();

// The root's Find; none without a root.
TResource* FindResource(std::string_view dottedName);

// The node if it is a class; none for an empty name or another kind.
TRTTI* FindClass(std::string_view dottedName);

// The dotted path from the root's child down to node; the root's own name for the root.
std::string FullName(const TResource& node);

}  // namespace varno
