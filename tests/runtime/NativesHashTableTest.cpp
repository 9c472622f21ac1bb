// Script hash tables: keys by value and by identity, buckets, the iterator, counts.
#include <gtest/gtest.h>

#include "NativesFixture.h"
#include "runtime/natives/Hashtable.h"

namespace varno {
namespace {

using test::RoutineOf;

class NativesHashTableTest : public test::TNativesTest {
protected:
    ~NativesHashTableTest() override {
        for (const TValue& t : m_tables) call(RoutineOf(AbstractHashTableNatives(), "_n_destroy"), self(), {t});
    }
    TValue make(const TNativeList& kind) {
        m_tables.push_back(call(RoutineOf(kind, "_n_init"), self()));
        return m_tables.back();
    }
    TValue run(std::string_view name, const TValue& t, std::initializer_list<TValue> more = {}) {
        TNativeRoutine routine = RoutineOf(AbstractHashTableNatives(), name);
        const std::vector<TValue> extra(more);
        switch (extra.size()) {
            case 0: return call(routine, self(), {t});
            case 1: return call(routine, self(), {t, extra[0]});
            default: return call(routine, self(), {t, extra[0], extra[1]});
        }
    }
    std::string text(std::string_view name, const TValue& t, std::initializer_list<TValue> more = {}) {
        return test::TScriptWorld::Describe(run(name, t, more));
    }
    // Every key in iteration order.
    std::string keys(const TValue& t) {
        std::string out;
        run("_n_startFind", t);
        while (ToInt(run("_n_hasNext", t)) != 0) out += ToText(run("_n_nextKey", t)) + ";";
        return out;
    }

    std::vector<TValue> m_tables;
};

TEST_F(NativesHashTableTest, HashesAndBuckets) {
    THashtable* table = new THashtable();
    EXPECT_EQ(table->Hash(TValue::Int(1)), 210047482u);
    EXPECT_EQ(table->bucketOf(TValue::Int(1)), 6);
    EXPECT_EQ(table->Hash(TValue::Float(1.0f)), 260269802u);
    EXPECT_EQ(table->bucketOf(TValue::Float(1.0f)), 7);
    // A string's hash is a sum over its bytes: the order of the bytes does not count.
    EXPECT_EQ(table->Hash(world.string("ab")), 1011593759u);
    EXPECT_EQ(table->Hash(world.string("ba")), 1011593759u);
    EXPECT_EQ(table->bucketOf(world.string("ab")), 30);
    delete table;
}

TEST_F(NativesHashTableTest, HashTableKeysByValue) {
    const TValue t = make(HashTableNatives());
    run("_n_put", t, {world.string("k"), TValue::Int(1)});
    EXPECT_EQ(text("_n_get", t, {world.string("k")}), "int:1");  // another string, same text
    run("_n_put", t, {TValue::Int(1), world.string("one")});
    EXPECT_EQ(text("_n_get", t, {TValue::Int(1)}), "obj:one");
    // Compare(1, 1.0) is 0, but 1.0 hashes to another bucket.
    EXPECT_EQ(text("_n_get", t, {TValue::Float(1.0f)}), "null:null");
    run("_n_put", t, {TValue::Float(2.5f), TValue::Int(25)});
    EXPECT_EQ(text("_n_get", t, {TValue::Float(2.5f)}), "int:25");
    TfObject* o = world.make(world.objectClass());
    run("_n_put", t, {TValue::Object(o->id()), TValue::Int(7)});
    EXPECT_EQ(text("_n_get", t, {TValue::Object(o->id())}), "int:7");
    EXPECT_EQ(text("_n_size", t), "int:4");
}

TEST_F(NativesHashTableTest, LightHashTableKeysByIdentity) {
    const TValue t = make(LightHashTableNatives());
    const TValue k = world.string("k");
    run("_n_put", t, {k, TValue::Int(1)});
    EXPECT_EQ(text("_n_get", t, {world.string("k")}), "null:null");
    EXPECT_EQ(text("_n_get", t, {k}), "int:1");
    run("_n_put", t, {TValue::Int(3), TValue::Int(4)});
    EXPECT_EQ(text("_n_get", t, {TValue::Int(3)}), "int:4");
}

TEST_F(NativesHashTableTest, PutReplacesKeyAndValueAndCountsThem) {
    const TValue t = make(HashTableNatives());
    const TValue v1 = TValue::Object(world.make(world.objectClass())->id());
    const TValue v2 = TValue::Object(world.make(world.objectClass())->id());
    const TValue a = world.string("same");
    const TValue b = world.string("same");
    run("_n_put", t, {a, v1});
    const std::int32_t aCount = AsObject(a)->refCount;
    const std::int32_t v1Count = AsObject(v1)->refCount;
    run("_n_put", t, {b, v2});
    EXPECT_EQ(text("_n_size", t), "int:1");
    EXPECT_EQ(AsObject(a)->refCount, aCount - 1);  // the stored key is now b ...
    EXPECT_EQ(AsObject(v1)->refCount, v1Count - 1);  // ... and the value v2
    EXPECT_EQ(run("_n_get", t, {a}).payload, v2.payload);
    const std::int32_t v2Count = AsObject(v2)->refCount;
    EXPECT_EQ(text("_n_remove", t, {a}), "obj:" + ToText(v2));
    EXPECT_EQ(AsObject(v2)->refCount, v2Count);  // the table's count moved to the result slot
    EXPECT_EQ(text("_n_remove", t, {a}), "null:null");
    EXPECT_EQ(text("_n_size", t), "int:0");
}

TEST_F(NativesHashTableTest, IterationGoesBucketByBucketInInsertionOrder) {
    const TValue t = make(HashTableNatives());
    run("_n_startFind", t);
    EXPECT_EQ(text("_n_hasNext", t), "int:0");
    EXPECT_EQ(text("_n_nextKey", t), "null:null");
    // Buckets: 1.0 -> 7, 1 -> 6, "ab" -> 30, "ba" -> 30 (after "ab").
    for (const TValue& k : {world.string("ab"), TValue::Float(1.0f), world.string("ba"), TValue::Int(1)}) {
        run("_n_put", t, {k, TValue::Int(0)});
    }
    EXPECT_EQ(keys(t), "1;1;ab;ba;");
    EXPECT_EQ(text("_n_nextKey", t), "null:null");  // past the end
}

TEST_F(NativesHashTableTest, DestroyReleasesKeysAndValues) {
    const TValue t = call(RoutineOf(HashTableNatives(), "_n_init"), self());
    TfObject* o = world.make(world.objectClass());
    const std::int32_t before = o->refCount;
    run("_n_put", t, {TValue::Object(o->id()), TValue::Object(o->id())});
    EXPECT_EQ(o->refCount, before + 2);
    run("_n_destroy", t);
    EXPECT_EQ(o->refCount, before);
    // A destroyed table is left alone by every native.
    EXPECT_EQ(text("_n_get", t, {TValue::Int(1)}), "null:null");
    EXPECT_EQ(text("_n_size", t), "int:0");
    run("_n_put", t, {TValue::Int(1), TValue::Int(2)});
    run("_n_destroy", t);
}

}  // namespace
}  // namespace varno
