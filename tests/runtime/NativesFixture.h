// Calling the core natives as the interpreter does, on slots made by hand, inside a small script world.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "ScriptWorld.h"
#include "runtime/natives/CoreNatives.h"

namespace varno::test {

inline TNativeRoutine RoutineOf(const TNativeList& list, std::string_view name) {
    for (const TNativeEntry& e : list) {
        if (name == e.name) return e.routine;
    }
    ADD_FAILURE() << "no native " << name;
    return nullptr;
}

class TNativesTest : public ::testing::Test {
protected:
    ~TNativesTest() override {
        for (TValue& v : m_results) Release(v);
    }

    // Calls routine on receiver with args as Op_NativeCall does: counted copies below the
    // receiver slot, the arguments released after the call. The result keeps its count
    // until the test ends.
    TValue call(TNativeRoutine routine, const TValue& receiver, std::initializer_list<TValue> args = {}) {
        const auto n = static_cast<std::int32_t>(args.size());
        std::vector<TValue> stack(args.size() + 1);
        TValue* slot = &stack[args.size()];
        Assign(*slot, receiver);
        std::int32_t i = 1;
        for (const TValue& a : args) Assign(slot[-i++], a);
        routine(slot, n, 0);
        for (i = 1; i <= n; ++i) Release(slot[-i]);
        m_results.push_back(*slot);
        return *slot;
    }

    // The same, described as "kind:text" ("int:3", "obj:abc", "null:null").
    std::string describe(TNativeRoutine routine, const TValue& receiver, std::initializer_list<TValue> args = {}) {
        return TScriptWorld::Describe(call(routine, receiver, args));
    }

    TValue self() {
        if (m_self == nullptr) m_self = world.make(world.objectClass());
        return TValue::Object(m_self->id());
    }

    TScriptWorld world;

private:
    TfObject* m_self = nullptr;
    std::vector<TValue> m_results;
};

}  // namespace varno::test
