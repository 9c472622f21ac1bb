// Classes at run time: lookups, inheritance, the method table, initialization and writing.
#include "runtime/RTTI.h"

#include "base/Error.h"
#include "base/MessageBox.h"
#include "runtime/Alias.h"
#include "runtime/Hooks.h"
#include "runtime/Log.h"
#include "runtime/Messages.h"
#include "runtime/Object.h"
#include "runtime/RuntimeError.h"
#include "runtime/ScriptHeap.h"
#include "runtime/Symbols.h"

namespace varno {
namespace {

// Attribute values written back into resource text: the percent sign first, then the
// characters that would end the value or the tag.
std::string EscapeAttr(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '%': out += "%25"; break;
            case '"': out += "%22"; break;
            case '<': out += "%3c"; break;
            case '>': out += "%3e"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

}  // namespace

TRTTI::TRTTI(std::string name, std::string src, std::string category)
    : TResource(std::move(name), std::move(src)), m_category(std::move(category)) {
    m_classValue = TValue::Native(ref());
    if (TAlias::Find(Name()) == nullptr) m_aliased = TAlias::Register(Name(), this);
}

TRTTI::~TRTTI() {
    Reset();
    if (m_aliased) TAlias::Unregister(Name(), this);
}

int TRTTI::MemberIndexOf(std::string_view name) {
    const std::int32_t symbol = Intern(name);
    std::int32_t cache = -1;
    const int found = m_members.find(symbol, cache);
    if (found >= 0) return found;
    if (m_instanceSize >= 0) {
        throw EVarno(GetMsg("Class") + Name() + ": member " + std::string(name) + " added after instantiation");
    }
    m_members.addSymbol(symbol);
    return m_members.count() - 1;
}

TFunction* TRTTI::findMethodSlow(std::int32_t symbol, std::int32_t& cache) const {
    for (int i = static_cast<int>(m_methods.size()) - 1; i >= 0; --i) {
        if (m_methods[static_cast<std::size_t>(i)]->Name() == symbol) {
            cache = i;
            return m_methods[static_cast<std::size_t>(i)];
        }
    }
    cache = -1;
    return nullptr;
}

TFunction* TRTTI::MethodByName(std::string_view name) const {
    const int index = MethodIndexByName(name);
    return index < 0 ? nullptr : m_methods[static_cast<std::size_t>(index)];
}

int TRTTI::MethodIndexByName(std::string_view name) const {
    const std::int32_t symbol = FindSymbol(name);
    if (symbol < 0) return -1;
    for (std::size_t i = 0; i < m_methods.size(); ++i) {
        if (m_methods[i]->Name() == symbol) return static_cast<int>(i);
    }
    return -1;
}

int TRTTI::MethodIndexOf(const TFunction* function) const {
    for (std::size_t i = 0; i < m_methods.size(); ++i) {
        if (m_methods[i] == function) return static_cast<int>(i);
    }
    return -1;
}

TFunction* TRTTI::Constructor() {
    if (m_constructorSearched) return m_constructorCache;
    m_constructorSearched = true;
    for (auto it = m_methods.rbegin(); it != m_methods.rend(); ++it) {
        if ((*it)->kind() == TFunctionKind::Constructor) return m_constructorCache = *it;
    }
    return nullptr;
}

TFunction* TRTTI::Destructor() {
    if (m_destructorSearched) return m_destructorCache;
    m_destructorSearched = true;
    for (auto it = m_methods.rbegin(); it != m_methods.rend(); ++it) {
        if ((*it)->kind() == TFunctionKind::Destructor) return m_destructorCache = *it;
    }
    return nullptr;
}

void TRTTI::AddMethod(TFunction* function) {
    m_methods.push_back(function);
    function->retain();
    methodsChanged();
}

void TRTTI::AddOrReplaceMethod(TFunction* function) {
    for (TFunction*& entry : m_methods) {
        if (entry->Name() == function->Name()) {
            TFunction* old = entry;
            entry = function;
            function->retain();
            methodsChanged();
            TFunction::releaseFromTable(old);  // after retain: replacing a function by itself keeps it
            return;
        }
    }
    AddMethod(function);
}

void TRTTI::InheritMethods() {
    if (m_superClass == nullptr) return;
    const std::vector<TFunction*> inherited = m_superClass->m_methods;  // a class may be its own superclass
    for (TFunction* function : inherited) AddMethod(function);
}

void TRTTI::InheritMembers() {
    if (m_superClass == nullptr) return;
    const TRapidStringList inherited = m_superClass->m_members;
    for (int i = 0; i < inherited.count(); ++i) m_members.addSymbol(inherited.symbolAt(i));
}

std::vector<TfObject*> TRTTI::LiveInstances() const {
    std::vector<TfObject*> live;
    if (!m_compiled) return live;
    for (TRef block : m_pool) {
        TfObject* o = FromRef<TfObject>(block);
        if (o->refCount > 0) live.push_back(o);
    }
    return live;
}

bool TRTTI::HasNoLiveInstances() const {
    for (TRef block : m_pool) {
        if (FromRef<TfObject>(block)->refCount > 0) return false;
    }
    return true;
}

void TRTTI::EnsureNoLiveInstances() const {
    if (!HasNoLiveInstances()) throw EVarno(ClassText() + ": Object still remaining");
}

void TRTTI::freePool() {
    for (TRef block : m_pool) {
        TfObject* o = FromRef<TfObject>(block);
        if (o->refCount >= 0) --RuntimeCounters().liveObjects;
        HeapFree(o);
    }
    m_pool.clear();
    m_pool.shrink_to_fit();
    m_poolHint = 0;
    ++m_poolGeneration;
    m_instanceSize = -1;
    m_unsetMembers.clear();
}

void TRTTI::Reset() {
    m_compiled = false;
    m_members.clear();
    std::vector<TFunction*> methods;
    methods.swap(m_methods);
    methodsChanged();
    for (TFunction* function : methods) TFunction::releaseFromTable(function);
    freePool();
    m_code.reset();
}

std::string TRTTI::ClassText() const { return Name() + "@" + std::to_string(ref()); }

void TRTTI::InitStep(TInitContext& context) {
    if (!m_compiled) {
        Reset();
        if (auto compile = RuntimeHooks().compileClass) compile(*this);
    }
    if (m_compileFailed) ++context.Failed;
    else if (m_compiled) ++context.Done;
    else ++context.Pending;
}

void TRTTI::WriteTo(TLines& lines, const std::string& indent) {
    std::string src = Src();
    if (auto relative = RuntimeHooks().relativeSource) src = relative(src);
    lines.push_back(indent + "<class name=\"" + EscapeAttr(Name()) + "\" src=\"" + EscapeAttr(src) +
                    "\" category=\"" + EscapeAttr(m_category) + "\"/>");
}

void TRTTI::DropScriptValues() {
    TResource::DropScriptValues();
    // Destroying may run destructors that create objects of this class: walk by index.
    for (std::size_t i = 0; i < m_pool.size(); ++i) {
        TfObject* o = FromRef<TfObject>(m_pool[i]);
        if (o->refCount >= 0) DestroyObject(o);
    }
}

void TRTTI::MarkValues(ICollector& collector) {
    TResource::MarkValues(collector);
    if (!collector.checkMode()) return;
    for (std::size_t i = 0; i < m_pool.size(); ++i) {
        TfObject* o = FromRef<TfObject>(m_pool[i]);
        if (o->refCount >= 0) collector.markObject(*o);
    }
}

void TRTTI::Sweep(ICollector& collector) {
    Log("sweeping " + Name());
    for (std::size_t i = 0; i < m_pool.size(); ++i) {
        TfObject* o = FromRef<TfObject>(m_pool[i]);
        if (o->refCount >= 0) collector.sweepObject(*o);
    }
}

void BindNative(TRTTI& cls, std::string_view name, TNativeRoutine routine) {
    TFunction* function = cls.MethodByName(name);
    if (function != nullptr && function->kind() == TFunctionKind::Native) {
        static_cast<TNativeFunction*>(function)->SetRoutine(routine);
        return;
    }
    ShowMessage(GetMsg("Class") + cls.Name() + GetMsg(": native function") + std::string(name) +
                GetMsg(" is undefined."));
}

}  // namespace varno
