// The resource markup: both readers, the element writer and the attribute escaping.
#include <gtest/gtest.h>

#include "base/MessageBox.h"
#include "resources/MarkupError.h"
#include "resources/MarkupFile.h"
#include "resources/SGML.h"
#include "support/TestSupport.h"

#include <string>

namespace varno {
namespace {

std::unique_ptr<TSGML> scan(const std::string& text, std::size_t* consumed = nullptr) {
    const char* cursor = text.c_str();
    auto element = TSGML::ScanElement(cursor);
    if (consumed) *consumed = static_cast<std::size_t>(cursor - text.c_str());
    return element;
}

std::unique_ptr<TSGML> parse(const std::string& text, std::size_t* consumed = nullptr) {
    const char* cursor = text.c_str();
    auto element = TSGML::ParseElement(cursor);
    if (consumed) *consumed = static_cast<std::size_t>(cursor - text.c_str());
    return element;
}

// A compact picture of an element: tag[entry,entry](child child).
std::string shape(const TSGML& e) {
    std::string text = e.GetTagName();
    if (e.AttrCount() > 0) {
        text += '[';
        for (int i = 0; i < e.AttrCount(); ++i) text += (i ? "," : "") + e.AttrEntry(i);
        text += ']';
    }
    if (e.HasChildList()) {
        text += '(';
        for (int i = 0; i < e.ChildCount(); ++i) text += (i ? " " : "") + shape(e.Child(i));
        text += ')';
    }
    return text;
}

TEST(SGMLScan, ReadsAResourceFile) {
    const auto top = ReadMarkupFile(test::DataPath("resources/sample.cmml").string());
    ASSERT_TRUE(top);
    EXPECT_EQ(shape(*top),
              "resourcelist[name=usr]("
              "class[name=Boot,src=boot.varno,category=system] "
              "globalvalue[name=$score,value=0] "
              "globalvalue[name=$title,value=\"Hello\"] "
              "resourcelist[name=patterns](cpattern[name=$pat_hero,src=images\\hero.bmp]) "
              "param[name=screen,value=800x600](param[name=inner,value=1]) "
              "generator[className=Enemy,name=e1,src=gen\\e1.varno,inst_x=5,const_speed=2] "
              "note[name=memo,src=](resinst[type=string,name=text,value=a<b>]))");
    EXPECT_EQ(top->Child(5).GetAttr("CLASSNAME"), "Enemy");
    EXPECT_EQ(top->Child(5).GetAttr("missing"), "");
}

struct TScanCase {
    const char* what;
    std::string text;
    std::string shape;
    std::size_t consumed;  // bytes the reader leaves behind it
};

TEST(SGMLScan, EdgeCases) {
    const TScanCase cases[] = {
        {"a class tag without /> is complete; the closing tag after it closes the parent",
         "<r><class name=\"A\"></class><x/></r>", "r(class[name=A])", 27},
        {"a param tag without /> takes what follows as children, up to a closing tag",
         "<r><param name=\"p\"><x/><y/></r><z/>", "r(param[name=p](x y) z)", 35},
        {"any closing tag closes, whatever its name", "<a><b></zzz><c/></a>", "a(b() c)", 20},
        {"blanks around = or no = at all", "<a x = \"1\" y\"2\"/>", "a[x=1,y=2]", 17},
        {"percent escapes in values", "<a v=\"%22%3c%41%zz\"/>", std::string("a[v=\"<A\0]", 9), 21},
        {"the fast reader decodes once", "<a v=\"%2522\"/>", "a[v=%22]", 14},
        {"a % escape consumes the quote after it", "<a v=\"%2\" w=\"x\"/>", std::string("a[v=\0 w=]", 9), 17},
        {"repeated names are all kept", "<a n=\"1\" n=\"2\"/>", "a[n=1,n=2]", 16},
        {"text before, between and after elements", "xx<a> t <b/> t </a> tail <c/>", "a(b)", 19},
        {"an element with content gets a child list even without children", "<a></a>", "a()", 7},
        {"the byte after / is stepped over whatever it is", "<a/x><b/>", "a", 4},
        {"blanks before the tag name", "< a  b=\"1\"  >", "a[b=1]()", 13},
        {"a closing tag first gives nothing and stays put", "  </a><b/>", "", 2},
        {"a second byte = or \" stays in the attribute name", "<a \x81=\"1\" \x81\"=\"2\"/>",
         "a[\x81==1,\x81\"=2]", 17},
        {"a second byte with a letter's code ends the character", "<a \x83\x41=\"v\"/>", "a[\x83\x41=v]", 11},
        {"a half-width kana ends the name", "<a b\xb1=\"v\"/>", "a[b=v]", 11},
        {"the text ends in a value: the attribute is dropped", "<a b=\"1\" c=\"2", "a[b=1]", 13},
        {"the text ends after a percent sign", "<a b=\"%4", "a", 8},
        {"the text ends in the child list", "<a><b x=\"1\"/>", "a(b[x=1])", 13},
        {"no element at all", "just text", "", 9},
    };
    for (const TScanCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t consumed = 0;
        const auto element = scan(c.text, &consumed);
        EXPECT_EQ(element ? shape(*element) : "", c.shape);
        EXPECT_EQ(consumed, c.consumed);
    }
}

TEST(SGMLParse, ReadsTagTexts) {
    TMessageCapture messages;
    std::size_t consumed = 0;
    auto e = parse("x <note name=\"n\" v=\"a%2522b\" w=\"\">text<resinst type=\"string\" value=\"%3c\"/></any> after",
                   &consumed);
    EXPECT_EQ(shape(*e), "note[name=n,v=a\"b,w=](resinst[type=string,value=<])");
    EXPECT_EQ(consumed, 80u);

    // The same attribute twice: the later value replaces the earlier, at the end.
    e = parse("<a n=\"1\" m=\"2\" n=\"3\"/>");
    EXPECT_EQ(shape(*e), "a[m=2,n=3]");

    // Leaf tags have no content even without "/>"; an empty tag name is allowed.
    e = parse("<class name=\"c\"><x/></y>");
    EXPECT_EQ(shape(*e), "class[name=c]");
    e = parse("< a=\"1\"/>");
    EXPECT_EQ(shape(*e), "[a=1]");
    EXPECT_EQ(messages.count(), 0);
}

TEST(SGMLParse, ReportsMissingTagsAndUnclosedElements) {
    TMessageCapture messages;
    try {
        parse("no tag here < either");
        FAIL() << "no error";
    } catch (const EMarkupError& e) {
        EXPECT_STREQ(e.what(), "Tag Error");
    }
    EXPECT_THROW(parse(""), EMarkupError);

    std::size_t consumed = 0;
    const auto e = parse("<a><b>rest", &consumed);
    EXPECT_EQ(shape(*e), "a(b)");
    // Each unclosed element says so once, with the text that remained.
    EXPECT_EQ(messages.text(), "invalid Tag : rest\ninvalid Tag : rest\n");
    EXPECT_EQ(consumed, 6u);
}

TEST(SGMLWrite, WritesElementsAsMarkup) {
    TSGML top("resourcelist");
    top.SetAttr("name", "usr");
    top.SetAttr("empty", "");
    top.AddAttrEntry("=nameless");
    auto child = std::make_unique<TSGML>("globalvalue");
    child->SetAttr("name", "$s");
    child->SetAttr("value", "\"50%\" <b>");
    top.AddChild(std::move(child));
    auto folder = std::make_unique<TSGML>("resourcelist");
    folder->SetAttr("name", "sub");
    folder->AddChild(std::make_unique<TSGML>("x"));
    top.AddChild(std::move(folder));
    top.AddChild(nullptr);

    EXPECT_EQ(top.WriteElement("\t"),
              "\t<resourcelist name=\"usr\">\r\n"
              "\t <globalvalue name=\"$s\" value=\"%2250%25%22 %3cb%3e\"/>"
              "\t <resourcelist name=\"sub\">\r\n\t  <x/>\t </resourcelist>"
              "\t</resourcelist>");

    // An empty child list writes like none; a value with a line break is written whole.
    TSGML leaf("a");
    leaf.CreateChildList();
    leaf.SetAttr("text", "line 1\nline 2\n");
    EXPECT_EQ(leaf.WriteElement(), "<a text=\"line 1\nline 2\n\"/>");
}

TEST(SGMLWrite, WrittenTextReadsBackTheSame) {
    const std::string original = test::ReadBytes(test::DataPath("resources/sample.cmml"));
    const auto first = scan(original);
    ASSERT_TRUE(first);
    const std::string written = first->WriteElement();
    const auto again = scan(written);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->WriteElement(), written);
    // The pattern reader reads the writer's text too (it decodes twice, so values without a
    // percent sign are the ones that come back alike).
    TMessageCapture messages;
    const auto parsed = parse(written);
    EXPECT_EQ(parsed->WriteElement(), written);
    EXPECT_EQ(messages.count(), 0);

    // Line breaks inside values come back as CR LF once the text has been through a file.
    TSGML e("a");
    e.SetAttr("v", "1\n2");
    const auto read = scan(ToCrLfLines(e.WriteElement()));
    EXPECT_EQ(read->GetAttr("v"), "1\r\n2");

    // A NUL byte (which "%zz" gives) is written escaped, so the text after it is not lost.
    const auto withNul = scan("<a v=\"x%zzy\"><b/></a>");
    const auto back = scan(withNul->WriteElement());
    EXPECT_EQ(back->GetAttr("v"), std::string("x\0y", 3));
    EXPECT_EQ(back->ChildCount(), 1);
}

TEST(SGML, AttributesAndChildren) {
    TSGML e;
    EXPECT_EQ(e.GetTagName(), "");
    e.SetTagName("t");
    EXPECT_FALSE(e.HasChildList());
    e.AddAttrEntry("className=A=B");
    e.AddAttrEntry("className=second");
    e.AddAttrEntry("noequals");
    EXPECT_EQ(e.GetAttr("classname"), "A=B");  // the first match, the value after the first "="
    EXPECT_EQ(e.AttrName(0), "className");
    EXPECT_EQ(e.AttrValue(0), "A=B");
    EXPECT_EQ(e.AttrName(2), "noequals");
    EXPECT_EQ(e.AttrValue(2), "");
    EXPECT_EQ(e.AttrName(3), "");
    EXPECT_EQ(e.AttrName(-1), "");
    e.SetAttr("CLASSNAME", "x");  // SetAttr matches the name exactly: nothing is removed
    EXPECT_EQ(e.AttrCount(), 4);
    e.SetAttr("className", "y");  // removes the first exact match only
    EXPECT_EQ(e.AttrCount(), 4);
    EXPECT_EQ(e.GetAttr("className"), "second");

    // Double-byte names: the second byte is compared exactly, ASCII letters without case.
    TSGML j;
    j.SetAttr("\x83\x41x", "1");
    EXPECT_EQ(j.GetAttr("\x83\x41X"), "1");
    EXPECT_EQ(j.GetAttr("\x83\x61x"), "");
}

TEST(SGML, EscapingAttributeValues) {
    EXPECT_EQ(EscapeAttr("%\"<>"), "%25%22%3c%3e");
    EXPECT_EQ(EscapeAttr("%22"), "%2522");
    EXPECT_EQ(EscapeAttr(std::string("a\0b", 3)), "a%00b");  // a raw NUL would cut the file short
    EXPECT_EQ(UnescapeAttr("%3c%3e%22%25"), "<>\"%");
    EXPECT_EQ(UnescapeAttr("%3C%3E"), "%3C%3E");  // upper-case digits stay
    EXPECT_EQ(UnescapeAttr("%253c"), "%3c");        // one pass: %25 is replaced last
    EXPECT_EQ(UnescapeAttr(UnescapeAttr("%253c")), "<");
    for (const std::string value : {"", "plain", "%%22%3c\"<<>>%", "\x95\x5c%"}) {
        EXPECT_EQ(UnescapeAttr(EscapeAttr(value)), value);
    }
    EXPECT_TRUE(IsLeafTag("generator"));
    EXPECT_FALSE(IsLeafTag("Generator"));
    EXPECT_FALSE(IsLeafTag("param"));
}

}  // namespace
}  // namespace varno
