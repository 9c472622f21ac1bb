// Resource files as CR LF lines, their top element, and the catalogue's tag lines.
#include <gtest/gtest.h>

#include "base/MessageBox.h"
#include "resources/FileOpenError.h"
#include "resources/MarkupError.h"
#include "resources/MarkupFile.h"
#include "resources/TagText.h"
#include "support/TestSupport.h"

namespace varno {
namespace {

TEST(MarkupFile, LinesEndInCrLf) {
    EXPECT_EQ(ToCrLfLines(""), "");
    EXPECT_EQ(ToCrLfLines("a"), "a\r\n");
    EXPECT_EQ(ToCrLfLines("a\nb\rc\r\nd\r\n"), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(ToCrLfLines("\n\n"), "\r\n\r\n");
    EXPECT_EQ(JoinLines({"x", "", "y"}), "x\r\n\r\ny\r\n");
}

TEST(MarkupFile, ReadsAndWritesFiles) {
    test::TTempDir dir;
    test::WriteBytes(dir.path() / "Pages" / "one.cmml", "<resourcelist name=\"p\">\n <class name=\"A\">\n</resourcelist>");
    const std::string base = dir.path().string();
    // System paths: backslashes and any letter case.
    EXPECT_EQ(ReadTextFile(base + "\\pages\\ONE.cmml"),
              "<resourcelist name=\"p\">\r\n <class name=\"A\">\r\n</resourcelist>\r\n");
    const auto top = ReadMarkupFile(base + "\\pages\\one.cmml");
    ASSERT_EQ(top->ChildCount(), 1);
    EXPECT_EQ(top->Child(0).GetAttr("name"), "A");

    WriteTextFile(base + "\\Pages\\two.cmml", {"<a>", "</a>"});
    EXPECT_EQ(test::ReadBytes(dir.path() / "Pages" / "two.cmml"), "<a>\r\n</a>\r\n");
    EXPECT_THROW(WriteTextFile(base + "\\missing\\dir\\x.cmml", {"<a/>"}), EFileOpenError);
}

TEST(MarkupFile, MissingFilesAndTextsWithoutElement) {
    test::TTempDir dir;
    const std::string path = (dir.path() / "nothing.cmml").string();
    TMessageCapture messages;
    EXPECT_THROW(ReadTextFile(path), EFileOpenError);
    EXPECT_EQ(messages.text(), path + " is not found.\n");
    EXPECT_THROW(ReadMarkupFile(path), EFileOpenError);

    try {
        ReadResourceElement("only text </a> <b", "page.cmml");
        FAIL() << "no error";
    } catch (const EMarkupError& e) {
        EXPECT_EQ(std::string(e.what()).find("page.cmml"), 0u) << e.what();
    }
    EXPECT_THROW(ReadResourceElement("", "empty"), EMarkupError);
    // Whatever follows the first element is ignored.
    EXPECT_EQ(ReadResourceElement("<a/><b/>", "two")->GetTagName(), "a");
}

TEST(TagText, CatalogueLines) {
    EXPECT_EQ(ResourceListOpenLine("  ", "usr"), "  <resourcelist name=\"usr\">");
    EXPECT_EQ(ResourceListCloseLine("  "), "  </resourcelist>");
    EXPECT_EQ(ClassLine(" ", "Boot", "usr\\boot.varno", "system"),
              " <class name=\"Boot\" src=\"usr\\boot.varno\" category=\"system\"/>");
    EXPECT_EQ(GlobalValueLine(" ", "$t", "\"50%\""), " <globalvalue name=\"$t\" value=\"%2250%25%22\"/>");
    EXPECT_EQ(GlobalValueLine("", "$n", ""), "<globalvalue name=\"$n\" value=\"\"/>");
    EXPECT_EQ(ParamLine("\t", "w", "640"), "\t<param name=\"w\" value=\"640\"/>");
    EXPECT_EQ(GeneratorLine("Enemy", "e1", "gen\\e.varno", {"x=5", "y=a<b"}, {"speed=2"}),
              "<generator className=\"Enemy\" name=\"e1\" src=\"gen\\e.varno\" inst_x=\"5\" inst_y=\"a%3cb\""
              " const_speed=\"2\"/>");
    EXPECT_EQ(GeneratorLine("Enemy", "e2", "", {}, {}), "<generator className=\"Enemy\" name=\"e2\"/>");
    EXPECT_EQ(CPatternLine("$pat_a", "img\\a.png"), "<cpattern name=\"$pat_a\" src=\"img\\a.png\"/>");
    EXPECT_EQ(PageEntryText("title", "pages\\title.cmml"), "<page name=\"title\" src=\"pages\\title.cmml\"/>");
    EXPECT_EQ(ResinstText("memo", "a\"b"), "<resinst type=\"string\" name=\"memo\" value=\"a%22b\"/>");

    // What the writers write, the fast reader reads back unchanged.
    const std::string line = GeneratorLine("E", "g", "", {"v=%\"<>"}, {});
    const char* cursor = line.c_str();
    EXPECT_EQ(TSGML::ScanElement(cursor)->GetAttr("inst_v"), "%\"<>");
}

}  // namespace
}  // namespace varno
