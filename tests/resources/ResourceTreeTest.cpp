// The resource tree: dotted lookups, aliases, "$" globals, unique names, walks, writing back and removal.
#include <gtest/gtest.h>

#include "TreeFixture.h"
#include "base/Error.h"
#include "base/MessageBox.h"
#include "resources/GlobalValue.h"
#include "resources/MarkupFile.h"
#include "runtime/NativeContract.h"
#include "runtime/Object.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

using test::TTreeFixture;

constexpr const char* kTree =
    "<resourcelist name=\"root\">"
    " <resourcelist name=\"classes\">"
    "  <resourcelist name=\"lang\">"
    "   <class name=\"Object\" src=\"Object.varno\" category=\"lang\"/>"
    "  </resourcelist>"
    " </resourcelist>"
    " <resourcelist name=\"usrglobal\"></resourcelist>"
    " <resourcelist name=\"a\"><param name=\"p\" value=\"1\"/></resourcelist>"
    "</resourcelist>";

class ResourceTree : public TTreeFixture {};

TEST_F(ResourceTree, DottedLookups) {
    TResource& root = setRoot(kTree);
    TRTTI* object = FindClass("classes.lang.Object");
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(FindResource(""), &root);
    EXPECT_EQ(FindResource("Classes.LANG.object"), object);
    EXPECT_EQ(FindResource("Object"), object);  // through the alias
    EXPECT_EQ(FindResource("classes.lang"), FindFolder("classes.lang"));
    EXPECT_EQ(FindResource("a.")->Name(), "a");  // a trailing point finds the child itself
    EXPECT_EQ(FindResource("a.p")->Name(), "p");
    EXPECT_EQ(FindResource("classes.Object"), nullptr);  // aliases answer one-part names at the root only
    EXPECT_EQ(FindResource("nothing.here"), nullptr);
    EXPECT_EQ(FindClass(""), nullptr);
    EXPECT_EQ(FindClass("classes.lang"), nullptr);
    EXPECT_EQ(FindFolder("classes.lang.Object"), nullptr);
    EXPECT_EQ(FullName(*object), "classes.lang.Object");
    EXPECT_EQ(FullName(root), "root");
    EXPECT_EQ(object->Src(), programDir() + "\\Object.varno");
}

TEST_F(ResourceTree, AClassOfAPageNeverTakesAKernelClassesShortName) {
    setRoot(kTree);
    TRTTI* kernelObject = FindClass("classes.lang.Object");
    TAlias::SetEnabled(false);  // as while a page's classes are read
    FindFolder("a")->AddChild(ReadResourceText("<class name=\"Mine\" src=\"m.varno\"/>"));
    TAlias::SetEnabled(true);
    FindFolder("a")->AddChild(ReadResourceText("<class name=\"Object\" src=\"o.varno\"/>"));
    EXPECT_EQ(FindResource("Object"), kernelObject);
    EXPECT_EQ(FindResource("Mine"), nullptr);
    EXPECT_NE(FindResource("a.Mine"), nullptr);
}

TEST_F(ResourceTree, GlobalsAreMadeOnFirstUse) {
    setRoot(kTree);
    TResourceList* globals = GlobalFolder();
    ASSERT_NE(globals, nullptr);
    TResource* score = FindResource("$score");
    ASSERT_NE(score, nullptr);
    EXPECT_EQ(score->Parent(), globals);
    EXPECT_EQ(FindResource("$SCORE"), score);
    EXPECT_EQ(globals->Count(), 1);
    EXPECT_EQ(FindResource("$x.y"), nullptr);  // a dotted "$" name makes nothing
    EXPECT_EQ(globals->Count(), 1);
    EXPECT_EQ(GlobalCell("plain"), nullptr);
    SetGlobal("$score", TValue::Int(7));
    EXPECT_EQ(GlobalCell("$score")->asInt(), 7);
    // A fresh variable holds the unset value naming it.
    EXPECT_EQ(GlobalCell("$fresh")->tag, tvUnset);
    // A name with markup characters is escaped on its way through the tag text.
    EXPECT_EQ(FindResource("$a\"b<c>")->Name(), "$a\"b<c>");
}

TEST_F(ResourceTree, UniqueNames) {
    TResource& folder = setRoot(
        "<resourcelist name=\"f\"><param name=\"page\"/><param name=\"page_1\"/><param name=\"mypage_7\"/></resourcelist>");
    EXPECT_EQ(UniqueName(folder, "page"), "page_8");
    EXPECT_EQ(UniqueName(folder, "page_1"), "page_8");
    EXPECT_EQ(UniqueName(folder, "PAGE"), "PAGE_8");  // the stem keeps the spelling it was given
    EXPECT_EQ(UniqueName(folder, "page_3"), "page_3");
    EXPECT_EQ(UniqueName(folder, "mypage_7"), "mypage_8");
    EXPECT_EQ(UniqueName(folder, "other"), "other");
}

TEST_F(ResourceTree, GlobalValuesWriteWhatTheirVariableHolds) {
    useStrings();
    setRoot(kTree);
    FindResource("$n");
    FindResource("$s");
    FindResource("$o");
    SetGlobal("$n", TValue::Int(-12));
    TValue text;
    MakeStringValue("a\"b", text);
    SetGlobal("$s", text);
    SetGlobal("$o", TValue::Float(1.5f));
    TLines lines;
    GlobalFolder()->WriteTo(lines, "  ");
    EXPECT_EQ(lines, (TLines{"  <resourcelist name=\"usrglobal\">",
                             "   <globalvalue name=\"$n\" value=\"-12\"/>",
                             "   <globalvalue name=\"$s\" value=\"%22a%22b%22\"/>",
                             "   <globalvalue name=\"$o\" value=\"\"/>",
                             "  </resourcelist>"}));
}

TEST_F(ResourceTree, WritingAndCloning) {
    TResource& root = setRoot(kTree);
    TLines lines;
    root.WriteTo(lines, "");
    EXPECT_EQ(lines, (TLines{"<resourcelist name=\"root\">",
                             " <resourcelist name=\"classes\">",
                             "  <resourcelist name=\"lang\">",
                             "   <class name=\"Object\" src=\"Object.varno\" category=\"lang\"/>",
                             "  </resourcelist>",
                             " </resourcelist>",
                             " <resourcelist name=\"usrglobal\">",
                             " </resourcelist>",
                             " <resourcelist name=\"a\">",
                             "  <param name=\"p\" value=\"1\"/>",
                             " </resourcelist>",
                             "</resourcelist>"}));
    std::unique_ptr<TResource> copy = FindResource("a")->Clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Parent(), nullptr);
    EXPECT_EQ(copy->Name(), "a");
    ASSERT_NE(copy->FindChild("p"), nullptr);
    EXPECT_EQ(dynamic_cast<TfParam*>(copy->FindChild("p"))->ValueText(), "1");
}

TEST_F(ResourceTree, NamesWalksAndIteration) {
    TResource& root = setRoot(kTree);
    TLines names;
    root.ListNames(names, "");
    EXPECT_EQ(names, (TLines{"<root>", "classes", "classes.lang", "classes.lang.Object", "usrglobal", "a", "a.p"}));

    struct TCollect : TResourceIterator {
        std::string seen;
        void Visit(TResource& node) override { seen += node.Name() + " "; }
    } collect;
    root.ForEach(collect);
    EXPECT_EQ(collect.seen, "root classes lang Object usrglobal a p ");

    auto& folder = *FindFolder("a");
    folder.AddChild(ReadResourceText("<param name=\"q\"/>"));
    auto it = folder.NewIterator();
    ASSERT_TRUE(it->HasNext());
    EXPECT_EQ(it->Next()->Name(), "p");
    it->Remove();
    ASSERT_TRUE(it->HasNext());
    EXPECT_EQ(it->Next()->Name(), "q");
    EXPECT_FALSE(it->HasNext());
    EXPECT_EQ(folder.Count(), 1);
    EXPECT_EQ(it->Next(), nullptr);
    EXPECT_EQ(std::make_unique<TResource>("leaf", "")->NewIterator(), nullptr);
}

TEST_F(ResourceTree, FoldersDestroyTheirChildrenBeforeThemselves) {
    setRoot(kTree);
    auto marker = std::make_unique<TRTTI>("Marker", "");
    marker->SetCompiled(true);
    std::vector<std::string> destroyed;
    RuntimeHooks().destroyScriptObject = [&](TResource& node) { destroyed.push_back(node.Name()); };
    for (const char* name : {"classes", "classes.lang", "a", "a.p"}) {
        SetObject(FindResource(name)->ScriptValue(), NewInstance(*marker));
    }
    DeleteByName("classes");
    DeleteByName("a.nothing");  // a name that is not there removes nothing
    DeleteByName("a");
    EXPECT_EQ(destroyed, (std::vector<std::string>{"lang", "classes", "p", "a"}));
    EXPECT_EQ(FindResource("classes"), nullptr);
    EXPECT_TRUE(marker->HasNoLiveInstances());
}

TEST_F(ResourceTree, AClassWithReferencedInstancesIsNotRemoved) {
    setRoot(kTree);
    TRTTI* object = FindClass("classes.lang.Object");
    object->SetCompiled(true);
    TValue held;
    SetObject(held, NewInstance(*object));
    EXPECT_THROW(DeleteByName("classes"), EVarno);
    EXPECT_EQ(FindResource("classes.lang.Object"), object);
    auto it = FindFolder("classes.lang")->NewIterator();
    it->Next();
    EXPECT_THROW(it->Remove(), EVarno);
    EXPECT_EQ(FindFolder("classes.lang")->Count(), 1);
    SetNull(held);
    DeleteByName("classes");
    EXPECT_EQ(FindResource("classes"), nullptr);
}

}  // namespace
}  // namespace varno
