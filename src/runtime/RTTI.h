// TRTTI: a script class at run time, and a node of the resource tree.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/CompiledInfo.h"
#include "runtime/Function.h"
#include "runtime/Native.h"
#include "runtime/RapidStringList.h"
#include "runtime/Resource.h"

namespace varno {

class TRTTI : public TResource {
public:
    // A class made from a `class` element (name, resolved src, category): uncompiled, no
    // superclass, no members or methods, instance size unknown. Its name becomes an alias
    // when registration is on and the name is free.
    TRTTI(std::string name, std::string src, std::string category = {});
    // Resets the class and removes its alias. Call EnsureNoLiveInstances first: a class
    // must not go while objects of it are referenced.
    ~TRTTI() override;
    const char* hostClassName() const override { return "TRTTI"; }

    const std::string& Category() const { return m_category; }
    TRTTI* SuperClass() const { return m_superClass; }
    void SetSuperClass(TRTTI* super) { m_superClass = super; }
    std::int32_t InstanceSize() const { return m_instanceSize; }
    TRapidStringList& Members() { return m_members; }
    const TRapidStringList& Members() const { return m_members; }
    const std::vector<TFunction*>& Methods() const { return m_methods; }
    TCompiledInfo* Code() const { return m_code.get(); }
    void SetCode(std::unique_ptr<TCompiledInfo> code) { m_code = std::move(code); }
    TValue& ClassValue() { return m_classValue; }
    bool Compiled() const { return m_compiled; }
    void SetCompiled(bool compiled) { m_compiled = compiled; }
    bool CompileFailed() const { return m_compileFailed; }
    void SetCompileFailed(bool failed) { m_compileFailed = failed; }
    bool Aliased() const { return m_aliased; }
    std::int32_t InstanceCounter() const { return m_instanceCounter; }

    // Lookups. Names are symbols, so comparisons are by number and ignore case.

    // The member's index or -1, trying cache first (one-word cache, see TRapidStringList).
    int FindMember(std::int32_t symbol, std::int32_t& cache) const { return m_members.find(symbol, cache); }
    // The index of name, appending it when it is not a member yet. Raises when the class
    // already made instances (their blocks have no room for another member).
    int MemberIndexOf(std::string_view name);

    // The method named symbol or null: the entry at cache first, then a backward scan.
    TFunction* FindMethod(std::int32_t symbol, std::int32_t& cache) const {
        const auto n = static_cast<std::uint32_t>(m_methods.size());
        const auto c = static_cast<std::uint32_t>(cache);
        if (c < n && m_methods[c]->Name() == symbol) return m_methods[c];
        return findMethodSlow(symbol, cache);
    }
    // The method-table entry at index; no range test (compiled code only holds valid ones).
    TFunction* MethodAt(int index) const { return m_methods[static_cast<std::size_t>(index)]; }
    // The first method of that name in table order (forward scan, no cache), or null.
    TFunction* MethodByName(std::string_view name) const;
    int MethodIndexByName(std::string_view name) const;
    int MethodIndexOf(const TFunction* function) const;
    // The last constructor (destructor) of the table, cached; null if none.
    TFunction* Constructor();
    TFunction* Destructor();
    // True if ancestor is this class or one of its superclasses.
    bool IsA(const TRTTI* ancestor) const {
        for (const TRTTI* c = this; c != nullptr; c = c->m_superClass) {
            if (c == ancestor) return true;
        }
        return false;
    }

    // Building (the compiler and the class-file reader).

    void AddMethod(TFunction* function);
    // Puts function in the slot of the first entry of the same name (the old entry is let
    // go), so inherited slot numbers stay valid; else appends it.
    void AddOrReplaceMethod(TFunction* function);
    void InheritMethods();
    void InheritMembers();

    // Instances.

    std::vector<TfObject*> LiveInstances() const;
    bool HasNoLiveInstances() const;
    // Raises ClassText + ": Object still remaining" while an instance is referenced.
    void EnsureNoLiveInstances() const;

    // Uncompiles: members, method table (functions let go), instance blocks and code are
    // dropped; the instance size is computed again at the next instantiation.
    void Reset();

    // Name + "@" + the class's identity.
    std::string ClassText() const;

    // Resource slots.
    TValue* ValueCell() override { return &m_classValue; }
    void InitStep(TInitContext& context) override;
    void WriteTo(TLines& lines, const std::string& indent) override;
    void DropScriptValues() override;
    void MarkValues(ICollector& collector) override;
    void Sweep(ICollector& collector) override;

private:
    friend TfObject* NewInstance(TRTTI& cls);
    friend void DestroyObject(TfObject* o);
    friend void NoteUnreferenced(TfObject* o) noexcept;

    TFunction* findMethodSlow(std::int32_t symbol, std::int32_t& cache) const;
    void methodsChanged() {
        m_constructorCache = nullptr;
        m_destructorCache = nullptr;
        m_constructorSearched = false;
        m_destructorSearched = false;
    }
    void freePool();

    std::string m_category;
    TRTTI* m_superClass = nullptr;
    std::int32_t m_instanceSize = -1;
    TRapidStringList m_members;
    std::vector<TFunction*> m_methods;
    TFunction* m_constructorCache = nullptr;
    TFunction* m_destructorCache = nullptr;
    // A search that found nothing is remembered too, until the method table changes.
    bool m_constructorSearched = false;
    bool m_destructorSearched = false;
    std::unique_ptr<TCompiledInfo> m_code;
    TValue m_classValue;
    // Every block ever allocated for the class, in order. Blocks before m_poolHint all
    // have a count above 0; Release and DestroyObject lower the hint when a block's count
    // drops to 0 or below, so NewInstance finds the first reusable block without scanning
    // the referenced ones again. m_poolGeneration changes whenever the pool is freed.
    std::vector<TRef> m_pool;
    std::uint32_t m_poolHint = 0;
    std::uint32_t m_poolGeneration = 0;
    std::vector<TValue> m_unsetMembers;  // what a fresh instance's members hold
    bool m_compiled = false;
    bool m_compileFailed = false;
    bool m_aliased = false;
    std::int32_t m_instanceCounter = 0;
};

// Binds routine to the native method name of cls (found with MethodByName). A missing
// name, or a name that is a byte-code method, shows the message box
// "Class" + class name + ": native function" + name + " is undefined." and binds nothing.
// Inherited function objects are shared, so binding on the declaring class serves every
// subclass.
void BindNative(TRTTI& cls, std::string_view name, TNativeRoutine routine);

}  // namespace varno
