// Object pools: construction from a class's pool, lazy destruction, identities.
#include "runtime/Object.h"

#include <cstring>
#include <string>

#include "runtime/Hooks.h"
#include "runtime/Log.h"
#include "runtime/Messages.h"
#include "runtime/RTTI.h"
#include "runtime/RuntimeError.h"
#include "runtime/ValueOps.h"

namespace varno {

TRuntimeCounters& RuntimeCounters() {
    static TRuntimeCounters counters;
    return counters;
}

TfObject* ObjectFromID(std::int64_t id) noexcept {
    if (id <= 0 || id > static_cast<std::int64_t>(UINT32_MAX)) return nullptr;
    const auto ref = static_cast<TRef>(id);
    if (!IsHeapBlock(ref, THeapKind::Object)) return nullptr;
    TfObject* o = FromRef<TfObject>(ref);
    return o->refCount >= 0 ? o : nullptr;
}

void NoteUnreferenced(TfObject* o) noexcept {
    TRTTI* cls = o->rtti();
    if (o->poolIndex < cls->m_poolHint) cls->m_poolHint = o->poolIndex;
}

TfObject* NewInstance(TRTTI& cls) {
    for (;;) {
        // 1. Only compiled classes are instantiable.
        if (!cls.m_compiled) {
            throw ERuntimeError(GetMsg("Class") + cls.Name() +
                                "はコンパイルが完了していないため、インスタンスを生成できません");
        }
        // 2. The instance size is fixed by the member count at the first instantiation.
        if (cls.m_instanceSize < 0) {
            const int members = cls.m_members.count();
            cls.m_instanceSize = static_cast<std::int32_t>(sizeof(TfObject) + sizeof(TValue) * members);
            cls.m_unsetMembers.clear();
            for (int i = 0; i < members; ++i) cls.m_unsetMembers.push_back(TValue::Unset(cls.m_members.symbolAt(i)));
        }
        // 3.
        ++cls.m_instanceCounter;
        // 4. The first block whose count is <= 0; every block before the hint is referenced.
        std::uint32_t i = cls.m_poolHint;
        const auto poolSize = static_cast<std::uint32_t>(cls.m_pool.size());
        while (i < poolSize && FromRef<TfObject>(cls.m_pool[i])->refCount > 0) ++i;
        cls.m_poolHint = i;
        TfObject* o = nullptr;
        if (i == poolSize) {
            o = static_cast<TfObject*>(HeapAlloc(static_cast<std::size_t>(cls.m_instanceSize), THeapKind::Object));
            o->cls = cls.ref();
            o->refCount = -1;
            o->poolIndex = i;
            cls.m_pool.push_back(RefOf(o));
        } else {
            o = FromRef<TfObject>(cls.m_pool[i]);
        }
        // 5. A constructed but unreferenced object is destroyed before its block is reused.
        //    Its destructor may reset the class or take blocks: then start again.
        if (o->refCount == 0) {
            const std::uint32_t generation = cls.m_poolGeneration;
            DestroyObject(o);
            if (generation != cls.m_poolGeneration) continue;
        }
        // 6.
        o->refCount = 0;
        o->mark = 0;
        o->cls = cls.ref();
        if (!cls.m_unsetMembers.empty()) {
            std::memcpy(o->members(), cls.m_unsetMembers.data(), cls.m_unsetMembers.size() * sizeof(TValue));
        }
        // 7.
        ++RuntimeCounters().liveObjects;
        return o;
    }
}

void DestroyObject(TfObject* o) {
    TRTTI* cls = o->rtti();
    // 1. The destructor runs in a process of its own (the interpreter installs how).
    if (cls->Destructor() != nullptr) {
        if (auto run = RuntimeHooks().runDestructor) run(*o);
    }
    // 2. A failing release ends the releasing; the remaining members keep their references.
    const int members = static_cast<int>((cls->m_instanceSize - static_cast<std::int32_t>(sizeof(TfObject))) /
                                         static_cast<std::int32_t>(sizeof(TValue)));
    for (int i = 0; i < members; ++i) {
        try {
            Release(o->member(i));
        } catch (const EVarno&) {
            const std::string member = i < cls->m_members.count() ? cls->m_members.nameAt(i) : std::string();
            Log("Decref failed at " + cls->Name() + "." + member);
            break;
        }
    }
    // 3. The block goes back to the pool.
    if (o->refCount >= 0) --RuntimeCounters().liveObjects;
    o->refCount = -1;
    NoteUnreferenced(o);
}

}  // namespace varno
