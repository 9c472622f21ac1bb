// Object pools: construction, lazy destruction on reuse, identities, strings.
#include <gtest/gtest.h>

#include <vector>

#include "RuntimeFixture.h"
#include "runtime/Log.h"
#include "runtime/Object.h"
#include "runtime/RuntimeError.h"
#include "runtime/Symbols.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

using test::MakeClass;
using test::THooksScope;
using test::TStringClassScope;

// A class with a destructor; the destructor hook records which objects it ran for.
struct TDestructorLog {
    THooksScope hooks;
    std::vector<TRef> ran;
    TDestructorLog() {
        RuntimeHooks().runDestructor = [this](TfObject& o) { ran.push_back(o.id()); };
    }
};

std::unique_ptr<TRTTI> ClassWithDestructor(const std::string& name) {
    auto cls = MakeClass(name, {"a", "b"});
    cls->AddMethod(new TDestructor(cls.get(), Intern("destructor")));
    return cls;
}

TEST(ObjectPool, FreshInstancesHoldUnsetMembers) {
    auto cls = MakeClass("Fresh", {"x", "y"});
    const std::int64_t live = RuntimeCounters().liveObjects;
    TfObject* o = NewInstance(*cls);
    EXPECT_EQ(o->refCount, 0);
    EXPECT_EQ(o->mark, 0);
    EXPECT_EQ(o->rtti(), cls.get());
    EXPECT_EQ(cls->InstanceSize(), 16 + 2 * 8);
    EXPECT_EQ(ToText(o->member(0)), "Variablex");
    EXPECT_EQ(ToText(o->member(1)), "Variabley");
    EXPECT_EQ(RuntimeCounters().liveObjects, live + 1);
    EXPECT_EQ(cls->InstanceCounter(), 1);
}

TEST(ObjectPool, ReuseRules) {
    TDestructorLog log;
    auto cls = ClassWithDestructor("Pooled");
    TValue a;
    TValue b;
    SetObject(a, NewInstance(*cls));
    SetObject(b, NewInstance(*cls));
    EXPECT_NE(a.payload, b.payload) << "only referenced blocks: a new block is appended";

    // Dropping the last reference runs nothing; the object stays readable.
    SetInt(AsObject(a)->member(0), 7);
    const TRef first = a.payload;
    SetNull(a);
    EXPECT_TRUE(log.ran.empty());
    EXPECT_EQ(AsObject(TValue::Object(first))->member(0).asInt(), 7);

    // Referencing it again needs no reconstruction.
    SetObject(a, FromRef<TfObject>(first));
    EXPECT_EQ(AsObject(a)->refCount, 1);
    EXPECT_EQ(AsObject(a)->member(0).asInt(), 7);
    SetNull(a);

    // The next instantiation reuses the first block with count 0, running its destructor first.
    TfObject* c = NewInstance(*cls);
    EXPECT_EQ(c->id(), first);
    ASSERT_EQ(log.ran.size(), 1u);
    EXPECT_EQ(log.ran[0], first);
    EXPECT_EQ(c->member(0).tag, tvUnset) << "reconstructed";

    // Unreferenced and never stored: the next instantiation takes (and destroys) it again.
    TfObject* d = NewInstance(*cls);
    EXPECT_EQ(d->id(), first);
    EXPECT_EQ(log.ran.size(), 2u);
    SetNull(b);
}

TEST(ObjectPool, TheFirstReusableBlockIsTakenWhereverItIs) {
    auto cls = MakeClass("Ordered", {});
    std::vector<TValue> held(5);
    for (TValue& v : held) SetObject(v, NewInstance(*cls));
    // Free a late block, then an early one: the early one comes first, then the late one.
    const TRef late = held[3].payload;
    const TRef early = held[1].payload;
    SetNull(held[3]);
    SetNull(held[1]);
    TValue x;
    TValue y;
    SetObject(x, NewInstance(*cls));
    SetObject(y, NewInstance(*cls));
    EXPECT_EQ(x.payload, early);
    EXPECT_EQ(y.payload, late);
    TValue z;
    SetObject(z, NewInstance(*cls));
    EXPECT_NE(z.payload, early);
    EXPECT_NE(z.payload, late);
    for (TValue* v : {&x, &y, &z, &held[0], &held[2], &held[4]}) SetNull(*v);
}

TEST(ObjectPool, UncompiledClassesRefuse) {
    auto cls = std::make_unique<TRTTI>("Unready", "");
    try {
        NewInstance(*cls);
        FAIL() << "no error";
    } catch (const ERuntimeError& e) {
        EXPECT_EQ(std::string(e.what()), "ClassUnreadyはコンパイルが完了していないため、インスタンスを生成できません");
    }
}

TEST(ObjectPool, DestroyLogsAFailingReleaseAndStops) {
    auto cls = MakeClass("Holder", {"first", "second"});
    auto other = MakeClass("Held", {});
    TfObject* holder = NewInstance(*cls);
    TValue second;
    SetObject(second, NewInstance(*other));
    TfObject* held = NewInstance(*other);
    // A member that holds an object whose count is already 0: releasing it fails.
    holder->member(0) = TValue::Object(held->id());
    holder->member(1) = second;  // not counted: the count is 1 from `second`
    SetLogVerbose(true);
    testing::internal::CaptureStderr();
    DestroyObject(holder);
    const std::string err = testing::internal::GetCapturedStderr();
    SetLogVerbose(false);
    EXPECT_NE(err.find("Decref failed at Holder.first"), std::string::npos) << err;
    EXPECT_EQ(holder->refCount, -1);
    EXPECT_EQ(AsObject(second)->refCount, 1) << "the remaining member keeps its reference";
    SetNull(second);
}

TEST(ObjectPool, IdentitiesAreAcceptedBackOnlyForLiveObjects) {
    auto cls = MakeClass("Identified", {"v"});
    TfObject* o = NewInstance(*cls);
    EXPECT_EQ(ObjectFromID(o->id()), o);
    for (std::int64_t bad : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{o->id()} + 8, std::int64_t{o->id()} - 8,
                             std::int64_t{cls->ref()}, std::int64_t{1} << 40}) {
        EXPECT_EQ(ObjectFromID(bad), nullptr) << bad;
    }
    DestroyObject(o);
    EXPECT_EQ(ObjectFromID(o->id()), nullptr) << "a block back in its pool is no object";
}

TEST(ObjectPool, ResetRecomputesTheInstanceSize) {
    auto cls = MakeClass("Growing", {"a"});
    NewInstance(*cls);
    EXPECT_EQ(cls->InstanceSize(), 24);
    EXPECT_THROW(cls->MemberIndexOf("late"), EVarno) << "instances have no room for another member";
    cls->Reset();
    EXPECT_EQ(cls->InstanceSize(), -1);
    for (const char* member : {"a", "b", "c"}) cls->MemberIndexOf(member);
    cls->SetCompiled(true);
    TfObject* o = NewInstance(*cls);
    EXPECT_EQ(cls->InstanceSize(), 16 + 3 * 8);
    EXPECT_EQ(ToText(o->member(2)), "Variablec");
}

TEST(Strings, CreationTextAndBodies) {
    TStringClassScope strings;
    const std::int64_t bodies = RuntimeCounters().liveStrings;
    TfObject* s = NewString("hello");
    EXPECT_EQ(s->refCount, 0);
    EXPECT_TRUE(IsStringObject(s));
    EXPECT_EQ(StringText(s), "hello");
    EXPECT_EQ(RuntimeCounters().liveStrings, bodies + 1);
    TValue v;
    MakeStringValue("\x82\xA0", v);  // two-byte text is kept as bytes
    EXPECT_EQ(AsObject(v)->refCount, 0);
    EXPECT_EQ(ToText(v), "\x82\xA0");

    // A subclass of String is not a string.
    auto sub = MakeClass("SubString", {}, &strings.cls());
    TfObject* notString = NewInstance(*sub);
    EXPECT_FALSE(IsStringObject(notString));

    // A freed body leaves an empty text, never a fault.
    FreeStringBody(StringBody(s));
    EXPECT_EQ(RuntimeCounters().liveStrings, bodies + 1);
    EXPECT_EQ(StringText(s), "");
    FreeStringBody(StringBody(AsObject(v)));
}

TEST(Strings, NoStringClassIsAnError) {
    SetStringClass(nullptr);
    EXPECT_THROW(NewString("x"), EVarno);
}

}  // namespace
}  // namespace varno
