// TResourceList: the folder node of the resource tree, owning its children in order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/Resource.h"

namespace varno {

// Made from resourcelist and classlist tags and from a linked file's top element.
// Children are found by name without regard to case; the first match in order wins.
class TResourceList : public TResource {
public:
    TResourceList(std::string name, std::string src) : TResource(std::move(name), std::move(src)) {}
    // Destroys the children one at a time from the front, so that their onDestroy runs
    // before the folder's own.
    ~TResourceList() override;
    const char* hostClassName() const override { return "TResourceList"; }

    int Count() const { return static_cast<int>(m_items.size()); }
    TResource* Item(int i) const { return m_items[static_cast<std::size_t>(i)].get(); }
    int IndexOf(const TResource* child) const;
    // Takes the child at index out of the list and hands it over (its Parent cleared).
    std::unique_ptr<TResource> Detach(int index);

    std::unique_ptr<TIterator> NewIterator() override;
    // Appends the child, makes this folder its parent and tells the child.
    void AddChild(std::unique_ptr<TResource> child) override;
    TResource* FindChild(std::string_view name) override;
    // Takes the child out and destroys it; nothing when it is not a child. Refuses (raises
    // the class's "Object still remaining") while a class in the child's subtree still has
    // referenced instances, and then leaves everything in place.
    void RemoveChild(TResource* child) override;
    // The passes of InitializeInPasses (resources/CustomResource.h).
    bool Initialize() override;
    void InitStep(TInitContext& context) override;
    void CommonDir(std::string& directory) override;
    void Relocate(std::string_view oldBase, std::string_view newBase) override;
    void WriteTo(TLines& lines, const std::string& indent) override;
    void DropScriptValues() override;
    void MarkValues(ICollector& collector) override;
    void Sweep(ICollector& collector) override;
    void ListNames(TLines& lines, const std::string& prefix) override;
    void ForEach(TResourceIterator& visitor) override;

private:
    std::vector<std::unique_ptr<TResource>> m_items;
};

// Iterates a folder's children by position; Remove destroys the last child returned.
class TResListIterator : public TIterator {
public:
    explicit TResListIterator(TResourceList& list) : m_list(list) {}
    bool HasNext() override { return m_position < m_list.Count(); }
    TResource* Next() override;
    void Remove() override;

private:
    TResourceList& m_list;
    int m_position = 0;
};

// Raises "Object still remaining" when a class in node's subtree has referenced instances.
void EnsureRemovable(TResource& node);

}  // namespace varno
