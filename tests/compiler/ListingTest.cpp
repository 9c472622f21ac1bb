// The code listing, the symbol dump and the listing of a whole class.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "CompilerFixture.h"
#include "base/Error.h"
#include "base/Text.h"
#include "compiler/Listing.h"
#include "runtime/Symbols.h"

namespace varno {
namespace {

using test::MethodCode;

std::string Address(const TCompiledInfo& info, std::uint32_t offset) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", info.codeRef() + offset);
    return text;
}

// The lines without their "XXXXXXXX:" address, which must be eight upper-case hex digits.
std::vector<std::string> Texts(const TLines& lines) {
    static const std::regex address("^[0-9A-F]{8}:");
    std::vector<std::string> texts;
    for (const std::string& line : lines) {
        EXPECT_TRUE(std::regex_search(line, address)) << line;
        texts.push_back(line.substr(9));
    }
    return texts;
}

class ListingTest : public test::TCompilerTest {
protected:
    ListingTest() : m_base(addClass("classes", "Base", {"o", "x"})), m_point(addClass("classes.game", "Point")) {
        addMethod(m_base, "function", "bf");
        addMethod(m_base, "native", "nat");
        addMethod(m_base, "constructor", "Base");
    }
    TRTTI& m_base;
    TRTTI& m_point;
};

TEST_F(ListingTest, LinesCarryAddressAndTextUpToTheFinalRet) {
    TRTTI& cls = compile(R"(function f(a) { var i; i = a + 1.5; return "hi"; })");
    const TCompiledInfo& code = MethodCode(cls, "f");
    TLines lines;
    Listing(code, lines);
    const std::vector<std::pair<std::uint32_t, std::string>> expected = {
        {0, "LocalValPtr 0"}, {8, "ArgValPtr_Deref 0"}, {20, "Push 1.5"},      {32, "Add"},
        {36, "Subst"},        {40, "Pop"},               {44, "PushString hi"}, {56, "Ret"},
        {60, "PushThis"},     {64, "Ret"},
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(lines[i], Address(code, expected[i].first) + ":" + expected[i].second);
    }
    TLines tail;
    Listing(code, tail, 60);  // from a given instruction on, as the debugger lists from PC
    EXPECT_EQ(tail, TLines(lines.end() - 2, lines.end()));
}

TEST_F(ListingTest, EveryInstructionHasItsText) {
    TRTTI& cls = compile(R"(extends classes.Base;
function f(a) {
  var i;
  for (i in a) { if (!i || -i) break; }
  o.y = o.z;
  o.m(1);
  g(); super(2); super.bf(); nat();
  i = new Point() is Point;
  i = $g;
  i = this.x;
  i = a && null;
  x = 3;
  a = 4;
}
function g() {})");
    TLines lines;
    Listing(MethodCode(cls, "f"), lines);
    const std::string point = m_point.ClassText();
    const std::vector<std::string> expected = {
        "LocalValPtr 0", "ArgValPtr_Deref 0", "InitForin", "DoForin80", "LocalValPtr_Deref 0", "Not", "Jump_Or24",
        "LocalValPtr_Deref 0", "Neg", "JumpZero24", "Jump24", "Jump8", "Jump-72", "ClearForin",
        "PushThis_SMemberValPtr_Deref 0", "DMemberValPtr y", "PushThis_SMemberValPtr_Deref 0",
        "DMemberValPtr_Deref " + std::to_string(Intern("z")), "Subst", "Pop",
        "PushThis_SMemberValPtr_Deref 0", "Push 1", "DCall 1,m", "Pop",
        "PushThis", "SCall 0,4", "Pop",
        "PushThis", "Push 2", "SuperCall 1,Base", "Pop",
        "PushThis", "SuperCall 0,bf", "Pop",
        "PushThis", "NativeCall 0,nat", "Pop",
        "LocalValPtr 0", "Push 0", "Constructor 0," + point, "Is " + point, "Subst", "Pop",
        "LocalValPtr 0", "Push_Deref [null]", "Subst", "Pop",
        "LocalValPtr 0", "PushThis_SMemberValPtr_Deref 1", "Subst", "Pop",
        "LocalValPtr 0", "ArgValPtr_Deref 0", "Jump_And20", "Push null", "Subst", "Pop",
        "PushThis_SMemberValPtr 1", "Push 3", "Subst", "Pop",
        "ArgValPtr 0", "Push 4", "Subst", "Pop",
        "PushThis", "Ret",
    };
    EXPECT_EQ(Texts(lines), expected);
}

TEST_F(ListingTest, AnAbnormalInstructionRaisesAfterTheLinesBeforeIt) {
    const std::string abnormal = Utf8ToSjis("異常な命令が入っています");
    const struct {
        std::vector<std::uint32_t> words;
        std::vector<std::string> texts;
    } cases[] = {
        {{4, 3, 0, 99}, {"SMemberValPtr 3", "Pop"}},
        {{47, 0, 0, 0, 48}, {}},  // source points are records, never code
        {{0, 39}, {"Pop"}},       // the block ends inside an instruction
        {{0, 0}, {"Pop", "Pop"}}, // the block ends without Halt
    };
    for (const auto& c : cases) {
        const TCompiledInfo info({}, std::string(reinterpret_cast<const char*>(c.words.data()), c.words.size() * 4));
        TLines lines;
        try {
            Listing(info, lines);
            ADD_FAILURE() << "no error";
        } catch (const EVarno& e) {
            EXPECT_EQ(std::string(e.what()), abnormal);
        }
        EXPECT_EQ(Texts(lines), c.texts);
    }
}

TEST_F(ListingTest, DumpListsEveryRecordOffsetButNoSourcePoints) {
    TRTTI& cls = compile("function d() { o.f(); o.f(); $g = 1; }");
    TLines lines;
    Dump(MethodCode(cls, "d"), lines);
    EXPECT_EQ(lines, (TLines{
                         "op=Op_SMemberValPtr ,addr=4 ,info=o",
                         "op=Op_SMemberValPtr ,addr=40 ,info=o",
                         "op=Op_DCall ,addr=16 ,info=f",
                         "op=Op_DCall ,addr=52 ,info=f",
                         "op=Op_Push ,addr=72 ,info=$g",
                         "op=Op_Push ,addr=84 ,info=",
                     }));
}

TEST_F(ListingTest, ListClassHeadsEachBlock) {
    TRTTI& cls = compile("extends classes.Base; constructor Test(a, b) {} native n; function f() { return 1; } x = 1;");
    TLines lines;
    ListClass(cls, lines);
    EXPECT_EQ(Texts(TLines(lines.begin() + 1, lines.begin() + 5)),
              (std::vector<std::string>{"PushThis_SMemberValPtr 1", "Push 1", "Subst", "Pop"}));
    std::vector<std::string> headings;
    for (const std::string& line : lines) {
        if (line.size() < 9 || line[8] != ':') headings.push_back(line);
    }
    EXPECT_EQ(headings, (std::vector<std::string>{"class usr.Test", "constructor Test(a,b)", "function f()"}));
    EXPECT_EQ(lines.back().substr(9), "Ret");
}

}  // namespace
}  // namespace varno
