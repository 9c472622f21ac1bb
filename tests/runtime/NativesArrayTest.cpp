// The element-list natives of classes.lang.Array: cells, counts, range errors, searches, packing.
#include <gtest/gtest.h>

#include "NativesFixture.h"
#include "base/Text.h"
#include "runtime/ElementList.h"

namespace varno {
namespace {

using test::RoutineOf;

class NativesArrayTest : public test::TNativesTest {
protected:
    NativesArrayTest() : m_before(ListCounters()) { m_list = call(RoutineOf(ArrayNatives(), "native_init"), self()); }
    ~NativesArrayTest() override {
        if (m_list.tag == tvNative) call(RoutineOf(ArrayNatives(), "native_free"), self(), {m_list});
    }

    TValue run(std::string_view name, std::initializer_list<TValue> more = {}) {
        std::vector<TValue> args{m_list};
        args.insert(args.end(), more.begin(), more.end());
        TNativeRoutine routine = RoutineOf(ArrayNatives(), name);
        switch (args.size()) {
            case 1: return call(routine, self(), {args[0]});
            case 2: return call(routine, self(), {args[0], args[1]});
            default: return call(routine, self(), {args[0], args[1], args[2]});
        }
    }
    std::string text(std::string_view name, std::initializer_list<TValue> more = {}) {
        return test::TScriptWorld::Describe(run(name, more));
    }
    TElementList& list() { return *NativeOf<TElementList>(m_list); }
    std::string contents() {
        std::string out;
        for (std::int32_t i = 0; i < list().count(); ++i) out += (i > 0 ? "," : "") + ToText(list().at(i));
        return out;
    }
    // The range error's text for index i.
    static std::string rangeError(int i) {
        return Utf8ToSjis("リストのインデックスが範囲を超えています") + " (" + std::to_string(i) + ")";
    }
    std::string errorOf(std::string_view name, std::initializer_list<TValue> more) {
        try {
            run(name, more);
        } catch (const ERuntimeError& e) {
            return e.what();
        }
        return "no error";
    }

    TListCounters m_before;
    TValue m_list;
};

TEST_F(NativesArrayTest, AddGetSetInsertDelete) {
    EXPECT_EQ(text("native_size"), "float:0");  // a float, also for the empty list
    for (int i = 0; i < 3; ++i) run("native_add", {TValue::Int(i)});
    run("_n_insert", {TValue::Int(0), TValue::Int(9)});
    run("_n_insert", {TValue::Int(4), TValue::Int(8)});  // before the end: appends
    EXPECT_EQ(contents(), "9,0,1,2,8");
    run("native_set", {TValue::Int(1), world.string("x")});
    EXPECT_EQ(text("native_get", {TValue::Float(1.7f)}), "obj:x");  // positions are ToInt
    EXPECT_EQ(text("native_delete", {TValue::Int(1)}), "obj:x");
    EXPECT_EQ(contents(), "9,1,2,8");
    EXPECT_EQ(text("native_size"), "float:4");
    EXPECT_EQ(ListCounters().elements - m_before.elements, 4);
    EXPECT_EQ(ListCounters().cells - m_before.cells, 4);
}

TEST_F(NativesArrayTest, IndexesOutsideTheListRaiseTheRangeError) {
    run("native_add", {TValue::Int(1)});
    EXPECT_EQ(errorOf("native_get", {TValue::Int(1)}), rangeError(1));
    EXPECT_EQ(errorOf("native_get", {TValue::Int(-1)}), rangeError(-1));
    EXPECT_EQ(errorOf("native_set", {TValue::Int(5), TValue::Int(0)}), rangeError(5));
    EXPECT_EQ(errorOf("native_delete", {TValue::Int(1)}), rangeError(1));
    EXPECT_EQ(errorOf("_n_insert", {TValue::Int(2), TValue::Int(0)}), rangeError(2));
    EXPECT_EQ(contents(), "1");
}

TEST_F(NativesArrayTest, MissingArgumentsLeaveTheReceiver) {
    EXPECT_EQ(describe(RoutineOf(ArrayNatives(), "native_add"), self(), {m_list}), "obj:" + ToText(self()));
    EXPECT_EQ(describe(RoutineOf(ArrayNatives(), "native_get"), self(), {m_list}), "obj:" + ToText(self()));
    EXPECT_EQ(list().count(), 0);
}

TEST_F(NativesArrayTest, ObjectElementsAreCountedOncePerCell) {
    TfObject* o = world.make(world.objectClass());  // the world holds one count
    const TValue v = TValue::Object(o->id());
    run("native_add", {v});
    run("native_add", {v});
    EXPECT_EQ(o->refCount, 3);
    run("native_delete", {TValue::Int(0)});  // the result slot keeps one until the test ends
    EXPECT_EQ(o->refCount, 3);
    run("_n_pack", {TValue::Int(0)});  // objects stay
    EXPECT_EQ(list().count(), 1);
    call(RoutineOf(ArrayNatives(), "native_free"), self(), {m_list});
    m_list = TValue::Null();
    EXPECT_EQ(o->refCount, 2);
    EXPECT_EQ(ListCounters().elements, m_before.elements);
    EXPECT_EQ(ListCounters().cells, m_before.cells);
}

TEST_F(NativesArrayTest, IndexOfComparesTextsLightIndexOfIdentity) {
    const TValue a = world.string("a");
    run("native_add", {TValue::Int(5)});
    run("native_add", {a});
    EXPECT_EQ(text("native_indexof", {world.string("a")}), "int:1");
    EXPECT_EQ(text("native_lightindexof", {world.string("a")}), "int:-1");
    EXPECT_EQ(text("native_lightindexof", {a}), "int:1");
    EXPECT_EQ(text("native_indexof", {TValue::Float(5.0f)}), "int:0");  // 5 - 5.0 is 0
    EXPECT_EQ(text("native_lightindexof", {TValue::Float(5.0f)}), "int:-1");
    EXPECT_EQ(text("native_indexof", {TValue::Int(6)}), "int:-1");
}

TEST_F(NativesArrayTest, PackRemovesWhatIsZeroAsAnInteger) {
    for (const TValue& v : {TValue::Int(0), TValue::Float(0.5f), TValue::Null(), TValue::Int(1), TValue::Int(-1),
                            world.string(""), TValue::Int(0)}) {
        run("native_add", {v});
    }
    run("_n_pack", {TValue::Null()});
    EXPECT_EQ(contents(), "1,-1,");
    EXPECT_EQ(ListCounters().elements - m_before.elements, 3);
}

TEST_F(NativesArrayTest, AValueThatIsNoListIsAnError) {
    EXPECT_THROW(call(RoutineOf(ArrayNatives(), "native_add"), self(), {TValue::Int(3), TValue::Int(1)}), ERuntimeError);
    EXPECT_THROW(call(RoutineOf(ArrayNatives(), "native_size"), self(), {TValue::Null()}), ERuntimeError);
    // Freeing one is quietly nothing.
    EXPECT_EQ(describe(RoutineOf(ArrayNatives(), "native_free"), self(), {TValue::Int(3)}), "obj:" + ToText(self()));
}

}  // namespace
}  // namespace varno
