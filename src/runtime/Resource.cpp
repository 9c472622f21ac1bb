// The resource node's base behaviour: dotted lookup, initialization passes, common folder.
#include "runtime/Resource.h"

#include "base/Error.h"
#include "runtime/Alias.h"
#include "runtime/CaseFold.h"
#include "runtime/Hooks.h"
#include "runtime/Log.h"
#include "runtime/Messages.h"
#include "runtime/RTTI.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

TResource* g_root = nullptr;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Byte positions just past each component of a path ("a/b/c" -> 1, 3, 5).
std::vector<std::size_t> ComponentEnds(std::string_view path) {
    std::vector<std::size_t> ends;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || IsSeparator(path[i])) ends.push_back(i);
    }
    return ends;
}

std::string_view Component(std::string_view path, const std::vector<std::size_t>& ends, std::size_t k) {
    const std::size_t begin = k == 0 ? 0 : ends[k - 1] + 1;
    return path.substr(begin, ends[k] - begin);
}

}  // namespace

TResource::TResource(std::string name, std::string src) : m_src(std::move(src)), m_name(std::move(name)) {}

TResource::~TResource() {
    if (m_scriptValue.tag != tvObject) return;
    // A destructor must not throw: the script's onDestroy and the release report instead.
    try {
        if (auto destroy = RuntimeHooks().destroyScriptObject) destroy(*this);
        SetNull(m_scriptValue);
    } catch (const EVarno& e) {
        Log(e.what());
    }
}

std::unique_ptr<TIterator> TResource::NewIterator() { return nullptr; }

void TResource::AddChild(std::unique_ptr<TResource>) {}

TResource* TResource::FindChild(std::string_view) { return nullptr; }

TValue* TResource::ValueCell() { return nullptr; }

TValue* TResource::ScriptObject() {
    if (m_scriptValue.tag != tvObject) {
        if (auto make = RuntimeHooks().makeScriptObject) make(*this);
    }
    return &m_scriptValue;
}

TResource* TResource::Find(std::string_view name) {
    if (name.empty()) return this;
    const std::size_t dot = name.find('.');
    const std::string_view head = name.substr(0, dot);
    TResource* child = FindChild(head);
    if (dot != std::string_view::npos) return child != nullptr ? child->Find(name.substr(dot + 1)) : nullptr;
    if (child != nullptr || this != g_root) return child;
    // One-part names at the root also reach short class names and "$" globals.
    if (TRTTI* alias = TAlias::Find(name)) return alias;
    if (name.front() == '$') {
        if (auto fallback = RuntimeHooks().rootFallback) return fallback(name);
    }
    return nullptr;
}

void TResource::RemoveChild(TResource*) {}

bool TResource::Initialize() {
    std::int32_t previous = -1;
    for (;;) {
        TInitContext context;
        InitStep(context);
        if (context.Failed > 0) {
            const std::string message = GetMsg("Initialization Failed");
            Log(message);
            throw EVarno(message);
        }
        if (context.Done == previous) throw EVarno(GetMsg("Recursive Inheritance"));
        previous = context.Done;
        if (context.Pending == 0) return true;
    }
}

void TResource::InitStep(TInitContext&) {}

void TResource::CommonDir(std::string& directory) {
    if (m_src.empty() || directory.empty()) return;
    std::size_t slash = m_src.size();
    while (slash > 0 && !IsSeparator(m_src[slash - 1])) --slash;
    const std::string_view srcDir = std::string_view(m_src).substr(0, slash == 0 ? 0 : slash - 1);
    const auto dirEnds = ComponentEnds(directory);
    const auto srcEnds = ComponentEnds(srcDir);
    std::size_t common = 0;
    while (common < dirEnds.size() && common < srcEnds.size() &&
           SameText(Component(directory, dirEnds, common), Component(srcDir, srcEnds, common))) {
        ++common;
    }
    if (common == 0) {
        directory.clear();
    } else if (common == 1 && dirEnds[0] == 0) {
        directory = directory.substr(0, 1);  // only the root of an absolute path is shared
    } else {
        directory = directory.substr(0, dirEnds[common - 1]);
    }
}

void TResource::Relocate(std::string_view, std::string_view) {}

void TResource::WriteTo(TLines&, const std::string&) {}

void TResource::DropScriptValues() {
    if (m_scriptValue.tag == tvObject || m_scriptValue.tag == tvNative) m_scriptValue = TValue::Null();
}

void TResource::AddedTo(TResource*) {}

void TResource::MarkValues(ICollector& collector) { collector.markValue(m_scriptValue); }

void TResource::Sweep(ICollector&) {}

void TResource::ListNames(TLines& lines, const std::string& prefix) { lines.push_back(prefix); }

void TResource::ForEach(TResourceIterator& visitor) { visitor.Visit(*this); }

std::unique_ptr<TResource> TResource::Clone() {
    TLines lines;
    WriteTo(lines, "");
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    if (auto read = RuntimeHooks().readResourceText) return read(text);
    return nullptr;
}

void SetRootResource(TResource* root) { g_root = root; }

TResource* RootResource() { return g_root; }

TResource* FindResource(std::string_view dottedName) {
    return g_root != nullptr ? g_root->Find(dottedName) : nullptr;
}

TRTTI* FindClass(std::string_view dottedName) {
    if (dottedName.empty()) return nullptr;
    return dynamic_cast<TRTTI*>(FindResource(dottedName));
}

std::string FullName(const TResource& node) {
    const TResource* parent = node.Parent();
    if (parent == nullptr || parent->Parent() == nullptr) return node.Name();
    return FullName(*parent) + "." + node.Name();
}

}  // namespace varno
