// Classes at run time: cached lookups, inheritance of slots, native binding, initialization passes.
#include <gtest/gtest.h>

#include <algorithm>

#include "RuntimeFixture.h"
#include "base/Error.h"
#include "base/MessageBox.h"
#include "runtime/Alias.h"
#include "runtime/Log.h"
#include "runtime/Object.h"
#include "runtime/Symbols.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

using test::MakeClass;
using test::THooksScope;
using test::TRootScope;
using test::TTestFolder;

TNormalFunction* AddFunction(TRTTI& cls, const char* name) {
    auto* f = new TNormalFunction(&cls, Intern(name));
    cls.AddOrReplaceMethod(f);
    return f;
}

TEST(ClassLookup, MemberFindWithItsOneWordCache) {
    auto cls = MakeClass("Finder", {"alpha", "beta", "gamma"});
    const std::int32_t gamma = Intern("GAMMA");
    const struct {
        std::int32_t cacheIn;
        std::int32_t symbol;
        int found;
        std::int32_t cacheOut;
    } cases[] = {
        {2, gamma, 2, 2},                 // hit
        {0, gamma, 2, 2},                 // stale: points at another member
        {-1, gamma, 2, 2},                // after a miss
        {1000, gamma, 2, 2},              // beyond the list
        {0, Intern("alpha"), 0, 0},       // hit at 0
        {1, Intern("nomember"), -1, -1},  // miss: the cache ends at -1
    };
    for (const auto& c : cases) {
        std::int32_t cache = c.cacheIn;
        EXPECT_EQ(cls->FindMember(c.symbol, cache), c.found) << c.cacheIn;
        EXPECT_EQ(cache, c.cacheOut) << c.cacheIn;
    }
    EXPECT_EQ(cls->MemberIndexOf("Beta"), 1);
    EXPECT_EQ(cls->MemberIndexOf("delta"), 3);
}

TEST(ClassLookup, InheritedSlotsAndOverrides) {
    auto base = MakeClass("ShapeBase", {"x"});
    TNormalFunction* draw = AddFunction(*base, "draw");
    TNormalFunction* move = AddFunction(*base, "move");
    auto derived = MakeClass("ShapeDerived", {"r"}, base.get());
    EXPECT_EQ(derived->Members().nameAt(0), "x") << "inherited members first";
    TNormalFunction* moveAgain = AddFunction(*derived, "Move");

    ASSERT_EQ(derived->Methods().size(), 2u);
    EXPECT_EQ(derived->MethodAt(0), draw) << "shared, not copied";
    EXPECT_EQ(derived->MethodAt(1), moveAgain) << "the override keeps the inherited slot";
    EXPECT_EQ(base->MethodAt(1), move);
    EXPECT_EQ(draw->TableCount(), 2);
    EXPECT_EQ(move->TableCount(), 1);
    EXPECT_EQ(derived->MethodIndexOf(moveAgain), 1);
    EXPECT_EQ(derived->MethodIndexByName("DRAW"), 0);

    // A native appended behind an entry of the same name: forward finds the first,
    // the cached (backward) find the later one.
    auto* native = new TNativeFunction(derived.get(), Intern("draw"));
    derived->AddMethod(native);
    EXPECT_EQ(derived->MethodByName("draw"), draw);
    std::int32_t cache = 0;
    EXPECT_EQ(derived->FindMethod(Intern("draw"), cache), draw) << "the cache word is tried first";
    cache = 1;
    EXPECT_EQ(derived->FindMethod(Intern("draw"), cache), native);
    EXPECT_EQ(cache, 2);
    cache = 0;
    EXPECT_EQ(derived->FindMethod(Intern("nothing_here"), cache), nullptr);
    EXPECT_EQ(cache, -1);

    EXPECT_TRUE(derived->IsA(base.get()));
    EXPECT_TRUE(derived->IsA(derived.get()));
    EXPECT_FALSE(base->IsA(derived.get()));

    derived->Reset();
    EXPECT_EQ(draw->TableCount(), 1) << "the superclass still holds it";
}

TEST(ClassLookup, ReplacedFunctionsAreFreedAndCachesFollowTheTable) {
    auto cls = MakeClass("Twice", {});
    const std::int64_t before = RuntimeCounters().liveFunctions;
    AddFunction(*cls, "f");
    AddFunction(*cls, "f");  // the later declaration replaces the earlier one
    EXPECT_EQ(cls->Methods().size(), 1u);
    EXPECT_EQ(RuntimeCounters().liveFunctions, before + 1);

    EXPECT_EQ(cls->Constructor(), nullptr);
    auto* first = new TConstructor(cls.get(), Intern("constructor"));
    cls->AddMethod(first);
    EXPECT_EQ(cls->Constructor(), first);
    auto* second = new TConstructor(cls.get(), Intern("constructor"));
    cls->AddOrReplaceMethod(second);
    EXPECT_EQ(cls->Constructor(), second) << "the cache does not keep a replaced function";
    auto* destructor = new TDestructor(cls.get(), Intern("destructor"));
    cls->AddMethod(destructor);
    EXPECT_EQ(cls->Destructor(), destructor);
    cls->Reset();
    EXPECT_EQ(cls->Constructor(), nullptr);
    EXPECT_EQ(RuntimeCounters().liveFunctions, before);
}

void RoutineA(TValue* slot, std::int32_t, std::int32_t) { SetInt(*slot, 1); }

TEST(BindNative, BindsSharedFunctionsAndReportsMissingNames) {
    auto base = MakeClass("Widget", {});
    auto* native = new TNativeFunction(base.get(), Intern("paint"));
    base->AddMethod(native);
    AddFunction(*base, "layout");
    auto derived = MakeClass("FancyWidget", {}, base.get());

    TValue slot = TValue::Null();
    EXPECT_THROW(native->Routine()(&slot, 0, 0), EVarno) << "unbound: native Method is not implemented.";
    BindNative(*base, "PAINT", RoutineA);
    EXPECT_EQ(derived->MethodByName("paint"), native);
    EXPECT_EQ(static_cast<TNativeFunction*>(derived->MethodByName("paint"))->Routine(), RoutineA);

    TMessageCapture capture;
    BindNative(*base, "missing", RoutineA);
    BindNative(*base, "layout", RoutineA);  // a byte-code method is refused the same way
    EXPECT_EQ(capture.text(),
              "ClassWidget: native functionmissing is undefined.\nClassWidget: native functionlayout is undefined.\n");
}

TEST(ClassInstances, LiveInstancesAndTheRemainingObjectError) {
    auto cls = MakeClass("Remaining", {"v"});
    EXPECT_TRUE(cls->LiveInstances().empty());
    TValue held;
    SetObject(held, NewInstance(*cls));
    NewInstance(*cls);  // count 0: not live
    EXPECT_EQ(cls->LiveInstances().size(), 1u);
    try {
        cls->EnsureNoLiveInstances();
        FAIL();
    } catch (const EVarno& e) {
        EXPECT_EQ(std::string(e.what()), "Remaining@" + std::to_string(cls->ref()) + ": Object still remaining");
    }
    // Forgetting script objects destroys every constructed block.
    cls->DropScriptValues();
    EXPECT_EQ(AsObject(held)->refCount, -1);
    EXPECT_TRUE(cls->HasNoLiveInstances());
}

// Records what a class asks of the collector.
class TRecordingCollector : public ICollector {
public:
    explicit TRecordingCollector(bool check) : m_check(check) {}
    void markValue(TValue& v) override { values.push_back(v.tag); }
    void markObject(TfObject& o) override { marked.push_back(o.id()); }
    void sweepObject(TfObject& o) override { swept.push_back(o.id()); }
    bool checkMode() const override { return m_check; }
    std::vector<TVType> values;
    std::vector<TRef> marked;
    std::vector<TRef> swept;

private:
    bool m_check;
};

TEST(ClassInstances, CollectorHooksVisitConstructedBlocksOnly) {
    auto cls = MakeClass("Collected", {});
    TValue held;
    SetObject(held, NewInstance(*cls));
    TValue second;
    SetObject(second, NewInstance(*cls));
    TValue freed;
    SetObject(freed, NewInstance(*cls));
    const TRef freedId = freed.payload;
    DestroyObject(AsObject(freed));  // back in the pool: skipped
    freed = TValue::Null();
    TfObject* unreferenced = AsObject(second);
    SetNull(second);  // constructed, count 0: still visited

    TRecordingCollector normal(false);
    cls->MarkValues(normal);
    EXPECT_EQ(normal.values.size(), 1u) << "its own script value";
    EXPECT_TRUE(normal.marked.empty()) << "instances are roots only in check mode";
    TRecordingCollector check(true);
    cls->MarkValues(check);
    EXPECT_EQ(check.marked, (std::vector<TRef>{held.payload, unreferenced->id()}));

    SetLogVerbose(true);
    testing::internal::CaptureStderr();
    cls->Sweep(normal);
    const std::string err = testing::internal::GetCapturedStderr();
    SetLogVerbose(false);
    EXPECT_EQ(err, "sweeping Collected\n");
    EXPECT_EQ(normal.swept, (std::vector<TRef>{held.payload, unreferenced->id()}));
    EXPECT_EQ(std::count(normal.swept.begin(), normal.swept.end(), freedId), 0);
    SetNull(held);
}

TEST(ClassResource, WritesItsLineAndOffersItsValueCell) {
    THooksScope hooks;
    RuntimeHooks().relativeSource = [](const std::string& src) { return "classes\\" + src; };
    auto owned = std::make_unique<TRTTI>("Ball", "ball.varno", "game \"toys\"");
    TRTTI& cls = *owned;
    TLines lines;
    cls.WriteTo(lines, "  ");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "  <class name=\"Ball\" src=\"classes\\ball.varno\" category=\"game %22toys%22\"/>");
    EXPECT_EQ(cls.ValueCell()->tag, tvNative);
    EXPECT_EQ(HostFromRef<TRTTI>(cls.ValueCell()->payload), &cls);
    EXPECT_EQ(ToText(*cls.ValueCell()), "TRTTI");
}

// Compiles a class when its superclass (if any) is compiled, as the loader does.
void InstallCompiler(bool fail = false) {
    RuntimeHooks().compileClass = [fail](TRTTI& cls) {
        if (fail) {
            cls.SetCompileFailed(true);
            return;
        }
        TRTTI* super = cls.Category().empty() ? nullptr : FindClass(cls.Category());
        if (super != nullptr && !super->Compiled()) return;
        cls.SetSuperClass(super);
        cls.SetCompiled(true);
    };
}

TEST(ClassInit, PassesCountPendingDoneAndFailed) {
    THooksScope hooks;
    TRootScope tree;
    auto* folder = tree.root().add(std::make_unique<TTestFolder>("lib"));
    // The subclass comes first, so it waits one pass for its superclass (named in Category here).
    auto* sub = folder->add(std::make_unique<TRTTI>("Sub", "", "lib.Base"));
    auto* base = folder->add(std::make_unique<TRTTI>("Base", ""));
    InstallCompiler();
    TInitContext first;
    folder->InitStep(first);
    EXPECT_EQ(first.Pending, 1);
    EXPECT_EQ(first.Done, 1);
    EXPECT_TRUE(base->Compiled());
    EXPECT_FALSE(sub->Compiled());
    EXPECT_TRUE(folder->Initialize());
    EXPECT_EQ(sub->SuperClass(), base);

    auto* loopA = folder->add(std::make_unique<TRTTI>("LoopA", "", "lib.LoopB"));
    folder->add(std::make_unique<TRTTI>("LoopB", "", "lib.LoopA"));
    try {
        folder->Initialize();
        FAIL();
    } catch (const EVarno& e) {
        EXPECT_STREQ(e.what(), "Recursive Inheritance");
    }
    EXPECT_FALSE(loopA->Compiled());

    InstallCompiler(true);
    try {
        folder->Initialize();
        FAIL();
    } catch (const EVarno& e) {
        EXPECT_STREQ(e.what(), "Initialization Failed");
    }
}

TEST(ResourceTree, LookupNamesAndFolders) {
    THooksScope hooks;
    TRootScope tree;
    auto* classes = tree.root().add(std::make_unique<TTestFolder>("classes"));
    auto* lang = classes->add(std::make_unique<TTestFolder>("lang"));
    auto* object = lang->add(std::make_unique<TRTTI>("Object", "/k/classes/lang/Object.varno"));
    ASSERT_TRUE(object->Aliased());
    RuntimeHooks().rootFallback = [&](std::string_view name) -> TResource* { return name == "$score" ? object : nullptr; };

    const struct {
        TResource* from;
        const char* name;
        TResource* found;
    } cases[] = {
        {&tree.root(), "", &tree.root()},
        {&tree.root(), "Classes.LANG.object", object},
        {classes, "lang.", lang},
        {&tree.root(), "Object", object},  // the alias, at the root only
        {classes, "Object", nullptr},
        {&tree.root(), "classes.nothing.Object", nullptr},
        {&tree.root(), "$score", object},
        {&tree.root(), "$other", nullptr},
    };
    for (const auto& c : cases) EXPECT_EQ(c.from->Find(c.name), c.found) << c.name;
    EXPECT_EQ(FindClass("classes.lang.Object"), object);
    EXPECT_EQ(FindClass("classes.lang"), nullptr);
    EXPECT_EQ(FindClass(""), nullptr);
    EXPECT_EQ(FullName(*object), "classes.lang.Object");
    EXPECT_EQ(FullName(*classes), "classes");
    EXPECT_EQ(FullName(tree.root()), "root");

    // A second class of the same short name does not take the alias over.
    TAlias::SetEnabled(false);
    auto page = std::make_unique<TRTTI>("Object", "");
    TAlias::SetEnabled(true);
    EXPECT_FALSE(page->Aliased());
    auto other = std::make_unique<TRTTI>("Object", "");
    EXPECT_FALSE(other->Aliased());
    EXPECT_EQ(TAlias::Find("object"), object);
}

TEST(ResourceTree, CommonDirNarrowsToTheSharedFolder) {
    const struct {
        const char* src;
        const char* before;
        const char* after;
    } cases[] = {
        {"/a/b/c/x.varno", "/a/b/c", "/a/b/c"},
        {"/a/B/d/x.varno", "/a/b/c", "/a/b"},
        {"/z/x.varno", "/a/b", "/"},
        {"C:\\game\\x.varno", "c:\\GAME\\data", "c:\\GAME"},
        {"/a/x.varno", "", ""},
        {"", "/a/b", "/a/b"},
    };
    for (const auto& c : cases) {
        auto node = std::make_unique<TResource>("n", c.src);
        std::string dir = c.before;
        node->CommonDir(dir);
        EXPECT_EQ(dir, c.after) << c.src << " " << c.before;
    }
}

TEST(ResourceTree, BaseSlotDefaults) {
    auto owned = std::make_unique<TResource>("leaf", "");
    TResource& node = *owned;
    EXPECT_EQ(node.NewIterator(), nullptr);
    EXPECT_EQ(node.FindChild("x"), nullptr);
    EXPECT_EQ(node.ValueCell(), nullptr);
    EXPECT_EQ(node.ScriptObject()->tag, tvNull) << "no wrapper maker installed";
    EXPECT_EQ(node.Clone(), nullptr);
    TLines lines;
    node.ListNames(lines, "usr.leaf");
    EXPECT_EQ(lines, TLines{"usr.leaf"});
    node.ScriptValue() = TValue::Native(12345);
    node.DropScriptValues();
    EXPECT_EQ(node.ScriptValue().tag, tvNull);
    EXPECT_TRUE(node.Initialize());
}

}  // namespace
}  // namespace varno
