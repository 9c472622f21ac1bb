// Custom resources and the CMML class with the real kernel: onInit passes, page entries, string fields, elements.
#include <gtest/gtest.h>

#include "KernelFixture.h"
#include "base/MessageBox.h"
#include "resources/CustomResource.h"
#include "resources/Element.h"
#include "resources/ResourceList.h"
#include "resources/ResourceLoader.h"
#include "resources/ScriptObjects.h"
#include "resources/SGML.h"
#include "runtime/Object.h"
#include "runtime/RTTI.h"
#include "runtime/Symbols.h"

namespace varno {
namespace {

class CustomResources : public test::TKernelFixture {
protected:
    void SetUp() override {
        TKernelFixture::SetUp();
        test::WriteBytes(kernel("classes/customres/Counter.varno"),
                         "extends classes.customres.CustomResource;\n"
                         "// Ready in the third pass; label is a string field kept with the resource.\n"
                         "function onInit() {\n"
                         "  $passes = $passes + 1;\n"
                         "  if ($passes < 3) return $passes - 1;\n"
                         "  return 2;\n"
                         "}\n"
                         "function describe() { return getName() + \"|\" + label; }\n");
        edit("resource.varnores", "  <class name=\"Page\"",
             "  <class name=\"Counter\" src=\"classes\\customres\\Counter.varno\" category=\"customres\"/>\n"
             "  <class name=\"Page\"");
        varno::Boot();
    }

    TfObject* objectOf(TResource& node) { return dynamic_cast<TCustomResource&>(node).Object(); }
};

TEST_F(CustomResources, OnInitAsksForMorePasses) {
    SetGlobal("$passes", TValue::Int(0));
    SetGlobal("$runs", TValue::Int(0));
    std::unique_ptr<TResource> folder = ReadResourceText(
        "<resourcelist name=\"f\"><Counter name=\"c\"/><globalvalue name=\"$runs\" value=\"$runs+1\"/></resourcelist>");
    EXPECT_TRUE(folder->Initialize());
    EXPECT_EQ(global("$passes").asInt(), 3);  // onInit gave 0, 1, then 2
    EXPECT_EQ(global("$runs").asInt(), 3);    // the global's statement ran in every pass
}

TEST_F(CustomResources, StringFieldsTravelThroughResinst) {
    InsertByName("usr", ReadResourceText(
                            "<resourcelist name=\"usr\"><Counter name=\"c\" src=\"c.txt\">"
                            "<resinst type=\"string\" name=\"label\" value=\"say %22hi%22\"/></Counter></resourcelist>"));
    TResource* node = FindResource("usr.c");
    ASSERT_NE(node, nullptr);
    SetGlobal("$o", node->ScriptValue());
    run("$d = $o.describe(); $u = $o.getURL(); $f = $o.getFullPath(); $t = $o.getTObject();");
    EXPECT_EQ(globalText("$d"), "c|say \"hi\"");
    EXPECT_EQ(globalText("$u"), ResolvePath("c.txt", SystemPath(dir())));
    EXPECT_EQ(globalText("$f"), "usr.c");
    EXPECT_EQ(global("$t").tag, tvNative);
    EXPECT_EQ(global("$t").payload, node->ref());

    run("$o.label = \"a<b>\\\"c\\\"\";");
    TLines lines;
    node->WriteTo(lines, "");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0],
              "<Counter name=\"c\" src=\"c.txt\">\r\n <resinst type=\"string\" name=\"label\" value=\"a%3cb%3e%22c%22\"/></Counter>");
    std::unique_ptr<TResource> copy = node->Clone();
    SetGlobal("$o", copy->ScriptValue());
    run("$d = $o.describe();");
    EXPECT_EQ(globalText("$d"), "c|a<b>\"c\"");
    SetGlobal("$o", TValue::Null());
}

TEST_F(CustomResources, PageEntriesAreCustomResources) {
    std::unique_ptr<TResource> page = ReadResourceText("<page name=\"$page_Title\" src=\"Title.cmml\"/>");
    TfObject* object = objectOf(*page);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->rtti(), FindClass("classes.customres.Page"));
    std::int32_t cache = -1;
    const int generator = object->rtti()->FindMember(kSymGenerator, cache);
    ASSERT_GE(generator, 0);
    EXPECT_EQ(object->member(generator).tag, tvNative);
    EXPECT_EQ(object->member(generator).payload, page->ref());
    TLines lines;
    page->WriteTo(lines, " ");
    EXPECT_EQ(lines, TLines{"<Page name=\"$page_Title\" src=\"Title.cmml\"/>"});
}

TEST_F(CustomResources, ResourcesByNameFromScripts) {
    run("$r = getResource(\"classes.lang\"); $none = getResource(\"no.such\"); $ok = initResource(\"classes.lang\");"
        "$missing = initResource(\"no.such\"); $t = $r.getTObject();");
    EXPECT_EQ(ToText(global("$r")).rfind("BuiltInResource@", 0), 0u);
    EXPECT_EQ(global("$none").asInt(), 0);
    EXPECT_EQ(global("$ok").asInt(), 1);
    EXPECT_EQ(global("$missing").asInt(), 1);
    EXPECT_EQ(global("$t").payload, FindResource("classes.lang")->ref());
    // The wrapper is made once and kept by the node.
    run("$again = getResource(\"classes.lang\");");
    EXPECT_EQ(global("$again").payload, global("$r").payload);

    // A class that does not compile makes initResource answer 0.
    test::WriteBytes(dir() / "Bad.varno", "function (");
    AddByName(SystemPath(dir() / "Bad.varno"), "Bad", TAddKind::Class);
    run("$bad = initResource(\"Bad\");");
    EXPECT_EQ(global("$bad").asInt(), 0);
}

TEST_F(CustomResources, MarkupElementsThroughCMML) {
    const char* text = "<root a=\"1\"/>";
    TfElement* root = TfElement::WrapRoot(TSGML::ParseElement(text));
    SetGlobal("$c", MakeCMMLObject(*root));
    run("$tag = $c.getTagName(); $a = $c.getAttr(\"A\"); $c.setAttr(\"b\", 2); $c.setTagName(\"top\");"
        "$child = $c.addSubItem(\"item x=\\\"1\\\" y=\\\"%2522\\\"\"); $ct = $child.getTagName();"
        "$cx = $child.getAttr(\"x\"); $cy = $child.getAttr(\"y\");");
    EXPECT_EQ(globalText("$tag"), "root");
    EXPECT_EQ(globalText("$a"), "1");
    EXPECT_EQ(globalText("$ct"), "item");
    EXPECT_EQ(globalText("$cx"), "1");
    EXPECT_EQ(globalText("$cy"), "\"");  // the pattern reader decodes twice
    EXPECT_EQ(root->element().WriteElement(), "<top a=\"1\" b=\"2\">\r\n <item x=\"1\" y=\"%22\"/></top>");
}

TEST_F(CustomResources, FolderChildrenAsArrays) {
    TMessageCapture messages;
    const int result = Eval("extends classes.lang.Object; $r = getResource(\"classes.lang\"); $kids = $r.getSubResources(); $n = $kids.size();"
        "$first = $kids.get(0); $leaf = getResource(\"classes.lang.Object\"); $none = $leaf.getSubResources();"
        "$objects = $r.getChildren(); $o = $objects.get(7);");
    ASSERT_EQ(result, kEvalOk) << messages.text();
    EXPECT_EQ(global("$n").asInt(), 8);
    EXPECT_EQ(global("$first").payload, FindResource("classes.lang.Object")->ref());
    EXPECT_EQ(global("$none").tag, tvNull);
    EXPECT_EQ(ToText(global("$o")).rfind("BuiltInResource@", 0), 0u);
}

TEST_F(CustomResources, ElementChildrenAsArrays) {
    const char* text = "<root/>";
    SetGlobal("$c", MakeCMMLObject(*TfElement::WrapRoot(TSGML::ParseElement(text))));
    TMessageCapture messages;
    const int result = Eval("extends classes.lang.Object; $empty = $c.getSubItems(); $n0 = $empty.size(); $c.addSubItem(\"a\"); $c.addSubItem(\"b\");"
        "$items = $c.getSubItems(); $n2 = $items.size(); $second = $items.get(1); $t = $second.getTagName();");
    ASSERT_EQ(result, kEvalOk);
    EXPECT_EQ(global("$n0").asInt(), 0);
    EXPECT_EQ(global("$n2").asInt(), 2);
    EXPECT_EQ(globalText("$t"), "b");
}

}  // namespace
}  // namespace varno
