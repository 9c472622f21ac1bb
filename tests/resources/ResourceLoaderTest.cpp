// Loading resource files and texts: the tag table, link, bad input, adding and saving by name.
#include <gtest/gtest.h>

#include "TreeFixture.h"
#include "base/Error.h"
#include "base/MessageBox.h"
#include "resources/CustomResource.h"
#include "resources/FileOpenError.h"
#include "resources/GlobalValue.h"
#include "resources/MarkupError.h"
#include "resources/MarkupFile.h"
#include "resources/ModuleRes.h"
#include "resources/SGML.h"
#include "runtime/NativeContract.h"
#include "runtime/Object.h"
#include "runtime/Symbols.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

using test::TTreeFixture;

class ResourceLoader : public TTreeFixture {};

TEST_F(ResourceLoader, EachTagMakesItsKind) {
    TResource& root = setRoot(
        "<resourcelist name=\"top\" src=\"top.varnores\">\n"
        " <classlist name=\"cl\"><class name=\"C\" src=\"sub\\C.varno\" category=\"game\"/></classlist>\n"
        " <globalvalue name=\"$g\" value=\"3\"/>\n"
        " <param name=\"p\" value=\"v\"/>\n"
        " <module name=\"m\" src=\"nowhere.so\"/>\n"
        "</resourcelist>");
    EXPECT_EQ(root.Src(), programDir() + "\\top.varnores");
    auto* cls = dynamic_cast<TRTTI*>(FindResource("cl.C"));
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->Src(), programDir() + "\\sub\\C.varno");
    EXPECT_EQ(cls->Category(), "game");
    EXPECT_FALSE(cls->Compiled());
    auto* global = dynamic_cast<TGlobalValue*>(root.FindChild("$g"));
    ASSERT_NE(global, nullptr);
    EXPECT_EQ(global->ValueText(), "3");
    EXPECT_EQ(global->Value().tag, tvUnset);
    EXPECT_EQ(SymbolName(static_cast<std::int32_t>(global->Value().payload)), "$g");
    EXPECT_EQ(dynamic_cast<TfParam*>(root.FindChild("p"))->ValueText(), "v");
    auto* module = dynamic_cast<TModuleRes*>(root.FindChild("m"));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->Handle(), nullptr);  // a library that does not load leaves no handle
    TLines lines;
    module->WriteTo(lines, "");
    EXPECT_TRUE(lines.empty());
}

TEST_F(ResourceLoader, InvalidTagsAreReportedAndSkipped) {
    TMessageCapture messages;
    TResource& root = setRoot("<resourcelist name=\"r\"><bogus name=\"x\"/><param name=\"ok\"/><Param name=\"y\"/></resourcelist>");
    EXPECT_EQ(messages.text(), "bogus: Invalid Tag Name\nParam: Invalid Tag Name\n");
    auto* folder = dynamic_cast<TResourceList*>(&root);
    ASSERT_EQ(folder->Count(), 1);
    EXPECT_EQ(folder->Item(0)->Name(), "ok");
    EXPECT_THROW(ReadResourceText("<bogus/>"), EMarkupError);
    EXPECT_THROW(ReadResourceText("no markup at all"), EMarkupError);
}

TEST_F(ResourceLoader, TruncatedMarkupKeepsWhatWasRead) {
    const char* texts[] = {
        "<resourcelist name=\"r\"><param name=\"a\"/><param name=\"b",
        "<resourcelist name=\"r\"><resourcelist name=\"s\"><param name=\"a\"",
        "<resourcelist",
        "<resourcelist name=\"r\"><",
    };
    for (const char* text : texts) {
        TMessageCapture messages;
        std::unique_ptr<TResource> node = ReadResourceText(text);
        ASSERT_NE(node, nullptr) << text;
        EXPECT_NE(dynamic_cast<TResourceList*>(node.get()), nullptr) << text;
    }
}

TEST_F(ResourceLoader, LinksReadOtherFilesRelativeToTheLinkingFile) {
    write("k/main.varnores", "<resourcelist name=\"k\">\r\n <link src=\"parts\\part.varnores\"/>\r\n</resourcelist>\r\n");
    write("k/parts/part.varnores", "<resourcelist name=\"part\"><class name=\"P\" src=\"P.varno\"/></resourcelist>");
    std::unique_ptr<TResource> top = LoadResourceFile("K\\MAIN.varnores");  // any letter case
    EXPECT_EQ(top->Src(), programDir() + "\\K\\MAIN.varnores");
    TResource* part = top->FindChild("part");
    ASSERT_NE(part, nullptr);
    // Paths are worked out on the text: the linked file's path keeps the spelling it was reached by.
    EXPECT_EQ(part->Src(), programDir() + "\\K\\parts\\part.varnores");
    EXPECT_EQ(part->FindChild("P")->Src(), programDir() + "\\K\\parts\\P.varno");
    // A linked folder is written in place.
    TLines lines;
    top->WriteTo(lines, "");
    EXPECT_EQ(lines[1], " <resourcelist name=\"part\">");
}

TEST_F(ResourceLoader, MissingAndSelfLinkingFiles) {
    {
        TMessageCapture messages;
        EXPECT_THROW(LoadResourceFile("absent.varnores"), EFileOpenError);
        EXPECT_EQ(messages.text(), programDir() + "\\absent.varnores is not found.\n");
    }
    write("a.varnores", "<resourcelist name=\"a\"><link src=\"b.varnores\"/></resourcelist>");
    write("b.varnores", "<resourcelist name=\"b\"><link src=\".\\A.VARNORES\"/></resourcelist>");
    EXPECT_THROW(LoadResourceFile("a.varnores"), EMarkupError);
    write("self.varnores", "<link src=\"self.varnores\">");
    EXPECT_THROW(LoadResourceFile("self.varnores"), EMarkupError);
    for (int i = 0; i < 70; ++i) {
        write("chain/" + std::to_string(i) + ".varnores", "<link src=\"" + std::to_string(i + 1) + ".varnores\">");
    }
    write("chain/70.varnores", "<resourcelist name=\"end\"></resourcelist>");
    EXPECT_THROW(LoadResourceFile("chain\\0.varnores"), EMarkupError);
    EXPECT_EQ(LoadResourceFile("chain\\10.varnores")->Name(), "end");
    // The failed loads leave nothing behind: the same file loads cleanly afterwards.
    write("b.varnores", "<resourcelist name=\"b\"></resourcelist>");
    EXPECT_NO_THROW(LoadResourceFile("a.varnores"));
    {
        TMessageCapture messages;
        write("c.varnores", "<resourcelist name=\"c\"><link src=\"gone.varnores\"/></resourcelist>");
        EXPECT_THROW(LoadResourceFile("c.varnores"), EFileOpenError);
        EXPECT_EQ(messages.count(), 1);
    }
}

TEST_F(ResourceLoader, AddInsertDeleteByName) {
    setRoot("<resourcelist name=\"root\"><resourcelist name=\"usrglobal\"></resourcelist></resourcelist>");
    TResource* folder = AddByName("", "usr", TAddKind::Folder);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(FindFolder("usr"), folder);
    EXPECT_NE(AddByName("", "usr.$v", TAddKind::GlobalValue), nullptr);
    EXPECT_EQ(dynamic_cast<TGlobalValue*>(FindResource("usr.$v"))->ValueText(), "0");

    TResource* cls = AddByName("Usr\\Hero.varno", "usr.Hero", TAddKind::Class);
    ASSERT_NE(dynamic_cast<TRTTI*>(cls), nullptr);
    EXPECT_EQ(cls->Src(), "Usr\\Hero.varno");  // as passed
    EXPECT_EQ(test::ReadBytes(hostDir() / "Usr" / "Hero.varno"), "extends classes.lang.Object;\r\n");
    write("Usr/Kept.varno", "extends Hero;");
    AddByName("Usr\\Kept.varno", "usr.Kept", TAddKind::Class);
    EXPECT_EQ(test::ReadBytes(hostDir() / "Usr" / "Kept.varno"), "extends Hero;");  // an existing file stays

    TResource* linked = AddByName("Usr\\sub.varnores", "usr.sub", TAddKind::LinkedFile);
    ASSERT_NE(dynamic_cast<TResourceList*>(linked), nullptr);
    EXPECT_EQ(test::ReadBytes(hostDir() / "Usr" / "sub.varnores"), "<resourcelist name=\"sub\">\r\n</resourcelist>\r\n");
    EXPECT_EQ(AddByName("", "nowhere.x", TAddKind::Folder), nullptr);  // no parent: nothing added

    InsertByName("usr.sub.inner", std::make_unique<TResourceList>("old name", ""));
    EXPECT_NE(FindFolder("usr.sub.inner"), nullptr);
    DeleteByName("usr.sub.inner");
    EXPECT_EQ(FindResource("usr.sub.inner"), nullptr);
}

TEST_F(ResourceLoader, AddByNameNeverCreatesFilesOutsideTheWritableFolders) {
    setRoot("<resourcelist name=\"root\"></resourcelist>");
    test::TTempDir elsewhere;
    TMessageCapture messages;
    AddByName(SystemPath(elsewhere.path() / "x.varno"), "x", TAddKind::Class);
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "x.varno"));
    EXPECT_EQ(messages.text(), SystemPath(elsewhere.path() / "x.varno") + " Cannot be saved.\n");
    // A linked file that could not be made is then missing.
    EXPECT_THROW(AddByName(SystemPath(elsewhere.path() / "y.varnores"), "y", TAddKind::LinkedFile), EFileOpenError);
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "y.varnores"));
}

TEST_F(ResourceLoader, SavingByName) {
    setRoot("<resourcelist name=\"root\"><resourcelist name=\"mem\"><param name=\"p\" value=\"1\"/></resourcelist></resourcelist>");
    write("pages/page.cmml", "<resourcelist name=\"usr\"><param name=\"x\" value=\"a%22b\"/></resourcelist>");
    InsertByName("usr", LoadResourceFile("pages\\page.cmml"));
    dynamic_cast<TfParam*>(FindResource("usr.x"))->SetValueText("c<d");
    SaveByName("usr");
    EXPECT_EQ(test::ReadBytes(hostDir() / "pages" / "page.cmml"),
              "<resourcelist name=\"usr\">\r\n <param name=\"x\" value=\"c%3cd\"/>\r\n</resourcelist>\r\n");
    std::unique_ptr<TResource> again = LoadResourceFile("pages\\page.cmml");
    EXPECT_EQ(dynamic_cast<TfParam*>(again->FindChild("x"))->ValueText(), "c<d");

    TMessageCapture messages;
    SaveByName("mem");  // made in memory: no file to save to
    EXPECT_EQ(messages.text(), "mem Cannot be saved.\n");
    FindResource("usr")->SetSrc("\\somewhere\\else.cmml");
    SaveByName("usr");
    EXPECT_EQ(messages.count(), 2);
}

class CustomResources : public TTreeFixture {
protected:
    void SetUp() override {
        TTreeFixture::SetUp();
        useStrings();
        setRoot(
            "<resourcelist name=\"kernel\"><resourcelist name=\"classes\"><resourcelist name=\"customres\">"
            "<class name=\"Note\" src=\"Note.varno\"/><class name=\"Ranking\" src=\"Ranking.varno\"/>"
            "</resourcelist></resourcelist><resourcelist name=\"usrglobal\"></resourcelist></resourcelist>");
        for (const char* name : {"classes.customres.Note", "classes.customres.Ranking"}) {
            TRTTI* cls = FindClass(name);
            for (const char* member : {"_generator", "text", "number"}) cls->MemberIndexOf(member);
            cls->SetCompiled(true);
        }
    }

    TfObject* objectOf(TResource& node) { return dynamic_cast<TCustomResource&>(node).Object(); }
};

TEST_F(CustomResources, AnObjectWithItsStringFieldsAndItsNode) {
    std::unique_ptr<TResource> node = ReadResourceText(
        "<Note name=\"n\" src=\"notes\\n.txt\">"
        "<resinst type=\"string\" name=\"text\" value=\"say %22hi%22\"/>"
        "<resinst type=\"string\" name=\"missing\" value=\"x\"/>"
        "<resinst type=\"number\" name=\"number\" value=\"5\"/>"
        "</Note>");
    TfObject* object = objectOf(*node);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(node->ScriptValue().tag, tvObject);
    EXPECT_TRUE(test::SameValue(*node->ScriptObject(), node->ScriptValue()));  // its own object, no wrapper
    const TValue& generator = object->member(0);
    EXPECT_EQ(generator.tag, tvNative);
    EXPECT_EQ(generator.payload, node->ref());
    EXPECT_EQ(ToText(object->member(1)), "say \"hi\"");
    EXPECT_EQ(object->member(2).tag, tvUnset);  // only string resinsts are read

    TLines lines;
    node->WriteTo(lines, "    ");
    EXPECT_EQ(lines, (TLines{"<Note name=\"n\" src=\"notes\\n.txt\">\r\n"
                             " <resinst type=\"string\" name=\"text\" value=\"say %22hi%22\"/></Note>"}));
    std::unique_ptr<TResource> copy = node->Clone();
    EXPECT_EQ(ToText(objectOf(*copy)->member(1)), "say \"hi\"");
    EXPECT_NE(objectOf(*copy), object);
}

TEST_F(CustomResources, OnInitDecidesTheCount) {
    std::unique_ptr<TResource> node = ReadResourceText("<Note name=\"n\"/>");
    int asked = 0;
    std::vector<int> answers = {0, 1, 2, 3, 9};
    SetScriptEvaluator([&](std::string_view text) {
        EXPECT_EQ(text, "$_tmp_val2=$_tmp_val1.onInit();");
        EXPECT_TRUE(test::SameValue(*GlobalCell("$_tmp_val1"), node->ScriptValue()));
        SetGlobal("$_tmp_val2", TValue::Int(answers[static_cast<std::size_t>(asked++)]));
        return 0;
    });
    std::vector<TInitContext> counts(answers.size());
    for (TInitContext& context : counts) node->InitStep(context);
    EXPECT_EQ(counts[0].Pending, 1);
    EXPECT_EQ(counts[1].Pending, 1);
    EXPECT_EQ(counts[2].Done, 1);
    EXPECT_EQ(counts[3].Failed, 1);
    EXPECT_EQ(counts[4].Pending + counts[4].Done + counts[4].Failed, 0);
    EXPECT_EQ(GlobalCell("$_tmp_val1")->asInt(), 0);
}

TEST_F(CustomResources, AResourceThatIsNeverReadyEndsInRecursiveInheritance) {
    std::unique_ptr<TResource> folder = ReadResourceText("<resourcelist name=\"f\"><Note name=\"n\"/></resourcelist>");
    int asked = 0;
    SetScriptEvaluator([&](std::string_view) {
        ++asked;
        SetGlobal("$_tmp_val2", TValue::Int(1));
        return 0;
    });
    try {
        folder->Initialize();
        FAIL() << "no error";
    } catch (const EVarno& e) {
        EXPECT_STREQ(e.what(), "Recursive Inheritance");
    }
    EXPECT_EQ(asked, kMaxInitPasses);
}

TEST_F(CustomResources, TheLegacyRankingIsRefused) {
    TMessageCapture messages;
    std::unique_ptr<TResource> node = ReadResourceText("<Ranking name=\"r\" browserURL=\"http://old\"/>");
    EXPECT_EQ(messages.text(), "This page are created by older version of Varno: Ranking on the Net disabled.\n");
    EXPECT_EQ(objectOf(*node), nullptr);
    TInitContext context;
    node->InitStep(context);
    EXPECT_EQ(context.Done, 1);
    TLines lines;
    node->WriteTo(lines, "");
    EXPECT_EQ(lines, TLines{"<Ranking name=\"r\"/>"});
    EXPECT_NE(objectOf(*ReadResourceText("<Ranking name=\"r\" browserURL=\"\"/>")), nullptr);
}

TEST_F(CustomResources, TagsWithoutAClassAreInvalid) {
    TMessageCapture messages;
    EXPECT_THROW(ReadResourceText("<Other name=\"o\"/>"), EMarkupError);
    EXPECT_EQ(messages.text(), "Other: Invalid Tag Name\n");
}

}  // namespace
}  // namespace varno
