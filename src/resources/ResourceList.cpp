// The folder node: ordered children, lookups by name, and the walks over a subtree.
#include "resources/ResourceList.h"

#include <algorithm>

#include "resources/CustomResource.h"
#include "resources/TagText.h"
#include "runtime/CaseFold.h"
#include "runtime/RTTI.h"

namespace varno {
namespace {

class TRemovableCheck : public TResourceIterator {
public:
    void Visit(TResource& node) override {
        if (auto* cls = dynamic_cast<TRTTI*>(&node)) cls->EnsureNoLiveInstances();
    }
};

}  // namespace

void EnsureRemovable(TResource& node) {
    TRemovableCheck check;
    node.ForEach(check);
}

TResourceList::~TResourceList() {
    while (!m_items.empty()) {
        std::unique_ptr<TResource> child = std::move(m_items.front());
        m_items.erase(m_items.begin());
        child.reset();
    }
}

int TResourceList::IndexOf(const TResource* child) const {
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == child) return static_cast<int>(i);
    }
    return -1;
}

std::unique_ptr<TResource> TResourceList::Detach(int index) {
    std::unique_ptr<TResource> child = std::move(m_items[static_cast<std::size_t>(index)]);
    m_items.erase(m_items.begin() + index);
    child->SetParent(nullptr);
    return child;
}

std::unique_ptr<TIterator> TResourceList::NewIterator() { return std::make_unique<TResListIterator>(*this); }

void TResourceList::AddChild(std::unique_ptr<TResource> child) {
    if (!child) return;
    TResource* raw = child.get();
    raw->SetParent(this);
    m_items.push_back(std::move(child));
    raw->AddedTo(this);
}

TResource* TResourceList::FindChild(std::string_view name) {
    for (const auto& item : m_items) {
        if (SameText(item->Name(), name)) return item.get();
    }
    return nullptr;
}

void TResourceList::RemoveChild(TResource* child) {
    const int index = IndexOf(child);
    if (index < 0) return;
    EnsureRemovable(*child);
    Detach(index).reset();
}

bool TResourceList::Initialize() { return InitializeInPasses(*this); }

// Children may be added (a "$" global made by a global value's statement) or removed
// while a pass runs, so the walk goes by position and checks the count every time.
void TResourceList::InitStep(TInitContext& context) {
    for (std::size_t i = 0; i < m_items.size(); ++i) m_items[i]->InitStep(context);
}

void TResourceList::CommonDir(std::string& directory) {
    TResource::CommonDir(directory);
    for (std::size_t i = 0; i < m_items.size(); ++i) m_items[i]->CommonDir(directory);
}

void TResourceList::Relocate(std::string_view oldBase, std::string_view newBase) {
    for (std::size_t i = 0; i < m_items.size(); ++i) m_items[i]->Relocate(oldBase, newBase);
}

void TResourceList::WriteTo(TLines& lines, const std::string& indent) {
    lines.push_back(ResourceListOpenLine(indent, Name()));
    const std::string inner = indent + " ";
    for (std::size_t i = 0; i < m_items.size(); ++i) m_items[i]->WriteTo(lines, inner);
    lines.push_back(ResourceListCloseLine(indent));
}

void TResourceList::DropScriptValues() {
    TResource::DropScriptValues();
    for (std::size_t i = 0; i < m_items.size(); ++i) m_items[i]->DropScriptValues();
}

void TResourceList::MarkValues(ICollector& collector) {
    TResource::MarkValues(collector);
    for (std::size_t i = 0; i < m_items.size(); ++i) m_items[i]->MarkValues(collector);
}

void TResourceList::Sweep(ICollector& collector) {
    for (std::size_t i = 0; i < m_items.size(); ++i) m_items[i]->Sweep(collector);
}

void TResourceList::ListNames(TLines& lines, const std::string& prefix) {
    lines.push_back(prefix.empty() ? std::string("<root>") : prefix);
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        TResource& child = *m_items[i];
        child.ListNames(lines, prefix.empty() ? child.Name() : prefix + "." + child.Name());
    }
}

void TResourceList::ForEach(TResourceIterator& visitor) {
    visitor.Visit(*this);
    for (std::size_t i = 0; i < m_items.size(); ++i) m_items[i]->ForEach(visitor);
}

TResource* TResListIterator::Next() {
    if (m_position >= m_list.Count()) return nullptr;
    return m_list.Item(m_position++);
}

void TResListIterator::Remove() {
    if (m_position <= 0 || m_position > m_list.Count()) return;
    m_list.RemoveChild(m_list.Item(m_position - 1));  // may refuse and raise: keep the position then
    --m_position;
}

}  // namespace varno
