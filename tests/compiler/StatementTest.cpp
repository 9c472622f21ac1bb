// Code generation for statements and expressions: byte-exact examples and a table of snippets.
#include <gtest/gtest.h>

#include <cstring>

#include "CompilerFixture.h"
#include "runtime/CodeVerifier.h"
#include "runtime/Function.h"

namespace varno {
namespace {

using test::CodeText;
using test::MethodCode;
using test::Words;

constexpr std::uint32_t Neg(std::int32_t n) { return static_cast<std::uint32_t>(n); }

class StatementTest : public test::TCompilerTest {
protected:
    StatementTest() { addClass("classes.game", "Point"); }

    // The code of `statements` as the body of f(a, b) with locals i and j, without the
    // closing PushThis; Ret; Halt.
    std::string body(const std::string& statements) {
        TRTTI& cls = compile("function f(a, b) { var i, j; " + statements + " }");
        if (!cls.Compiled()) return "not compiled";
        const TCompiledInfo& code = MethodCode(cls, "f");
        VerifyCode(const_cast<TCompiledInfo&>(code), 2);  // the code is one the runtime accepts
        std::string text = CodeText(code);
        const std::string tail = "PushThis; Ret; Halt";
        EXPECT_TRUE(text.ends_with(tail)) << text;
        text.resize(text.size() - tail.size());
        if (text.ends_with("; ")) text.resize(text.size() - 2);
        return text;
    }
};

TEST_F(StatementTest, WhileLoopIsByteExact) {
    TRTTI& cls = compile("function f() { var i; while (i < 10) i++; }");
    const std::vector<std::uint32_t> expected = {
        6,  0,          // 0: LocalValPtr 0
        38,             // 8: Deref
        1,  1, 10,      // 12: Push 10
        26,             // 24: LT
        40, 44,         // 28: JumpZero to 72
        6,  0,          // 36: LocalValPtr 0
        1,  1, 1,       // 44: Push 1
        36,             // 56: AddSubst
        0,              // 60: Pop
        39, Neg(-64),   // 64: Jump to 0
        3,  43, 48,     // 72: PushThis; Ret; Halt
    };
    EXPECT_EQ(Words(MethodCode(cls, "f")), expected);
}

TEST_F(StatementTest, IfWithoutElseStillJumpsOverNothing) {
    TRTTI& cls = compile("if (x) y = 1; z = 2;");
    const std::vector<std::uint32_t> expected = {
        3,  4, 0, 38,     // 0: PushThis; SMemberValPtr 0 (x); Deref
        40, 48,           // 16: JumpZero to 64
        3,  4, 1,         // 24: PushThis; SMemberValPtr 1 (y)
        1,  1, 1,         // 36: Push 1
        35, 0,            // 48: Subst; Pop
        39, 8,            // 56: Jump 8, to the next instruction
        3,  4, 2,         // 64: z = 2
        1,  1, 2, 35, 0,
        1,  2, 0,         // Push 0.0
        48,               // Halt
    };
    EXPECT_EQ(Words(*cls.Code()), expected);
}

TEST_F(StatementTest, StringConstantsAreByteExact) {
    TRTTI& cls = compile(R"(a = ""; b = "abc"; c = "abcd";)");
    const auto w = Words(*cls.Code());
    auto bytes = [](const char* s) {
        std::uint32_t word = 0;
        std::memcpy(&word, s, 4);
        return word;
    };
    const std::vector<std::uint32_t> expected = {
        3, 4, 0, 2, 4, 0, 35, 0,                                 // a = ""
        3, 4, 1, 2, 4, bytes("abc"), 35, 0,                      // b = "abc" (3 bytes and the 0)
        3, 4, 2, 2, 8, bytes("abcd"), 0, 35, 0,                  // c = "abcd" (4 bytes, 0, padding)
        1, 2, 0, 48,
    };
    EXPECT_EQ(w, expected);
}

TEST_F(StatementTest, SnippetsCompileToTheirCode) {
    const struct {
        const char* source;
        const char* code;
    } cases[] = {
        // assignment and operators
        {"i = i + 1;", "LocalValPtr 0; LocalValPtr 0; Deref; Push 1; Add; Subst; Pop"},
        {"i += 2; j -= a;",
         "LocalValPtr 0; Push 2; AddSubst; Pop; LocalValPtr 1; ArgValPtr 0; Deref; SubSubst; Pop"},
        {"i++; j--;", "LocalValPtr 0; Push 1; AddSubst; Pop; LocalValPtr 1; Push 1; SubSubst; Pop"},
        {"j = i++;", "LocalValPtr 1; LocalValPtr 0; Push 1; AddSubst; Subst; Pop"},
        {"i = a - b - j;",
         "LocalValPtr 0; ArgValPtr 0; Deref; ArgValPtr 1; Deref; Sub; LocalValPtr 1; Deref; Sub; Subst; Pop"},
        {"i = a + b * j % 2 / 3;",
         "LocalValPtr 0; ArgValPtr 0; Deref; ArgValPtr 1; Deref; LocalValPtr 1; Deref; Mul; Push 2; Mod; Push 3; "
         "Div; Add; Subst; Pop"},
        {"i = a == b; i = a != b; i = a >= b; i = a <= b; i = a > b; i = a < b;",
         "LocalValPtr 0; ArgValPtr 0; Deref; ArgValPtr 1; Deref; EQ; Subst; Pop; "
         "LocalValPtr 0; ArgValPtr 0; Deref; ArgValPtr 1; Deref; NEQ; Subst; Pop; "
         "LocalValPtr 0; ArgValPtr 0; Deref; ArgValPtr 1; Deref; GTE; Subst; Pop; "
         "LocalValPtr 0; ArgValPtr 0; Deref; ArgValPtr 1; Deref; LTE; Subst; Pop; "
         "LocalValPtr 0; ArgValPtr 0; Deref; ArgValPtr 1; Deref; GT; Subst; Pop; "
         "LocalValPtr 0; ArgValPtr 0; Deref; ArgValPtr 1; Deref; LT; Subst; Pop"},
        {"i = a + 1 < b * 2;",
         "LocalValPtr 0; ArgValPtr 0; Deref; Push 1; Add; ArgValPtr 1; Deref; Push 2; Mul; LT; Subst; Pop"},
        {"i = -a; j = !a;",
         "LocalValPtr 0; ArgValPtr 0; Deref; Neg; Subst; Pop; LocalValPtr 1; ArgValPtr 0; Deref; Not; Subst; Pop"},
        {"i = -(a + 1);", "LocalValPtr 0; ArgValPtr 0; Deref; Push 1; Add; Neg; Subst; Pop"},
        {"i = (a = 1);", "LocalValPtr 0; ArgValPtr 0; Push 1; Subst; Subst; Pop"},
        // short-circuit chains: one jump after every operand but the last, to the end
        {"i = a || b || j;",
         "LocalValPtr 0; ArgValPtr 0; Deref; Jump_Or 40; ArgValPtr 1; Deref; Jump_Or 20; LocalValPtr 1; Deref; "
         "Subst; Pop"},
        {"i = a && b;", "LocalValPtr 0; ArgValPtr 0; Deref; Jump_And 20; ArgValPtr 1; Deref; Subst; Pop"},
        {"i = a || b && j;",
         "LocalValPtr 0; ArgValPtr 0; Deref; Jump_Or 40; ArgValPtr 1; Deref; Jump_And 20; LocalValPtr 1; Deref; "
         "Subst; Pop"},
        {"i = a < 1 && b;",
         "LocalValPtr 0; ArgValPtr 0; Deref; Push 1; LT; Jump_And 20; ArgValPtr 1; Deref; Subst; Pop"},
        // constants
        {"i = null;", "LocalValPtr 0; Push null; Subst; Pop"},
        {"i = 1.5; j = 007;", "LocalValPtr 0; Push 1.5f; Subst; Pop; LocalValPtr 1; Push 7; Subst; Pop"},
        {R"(i = "a\nb\"c\\d\q";)", R"(LocalValPtr 0; PushString "a\x0Ab\x22c\x5Cdq"; Subst; Pop)"},
        // new and is, by full name and by alias
        {"i = new classes.game.Point(1, a);",
         "LocalValPtr 0; Push 0f; Push 1; ArgValPtr 0; Deref; Constructor 2,classes.game.Point; Subst; Pop"},
        {"i = new Point();", "LocalValPtr 0; Push 0f; Constructor 0,classes.game.Point; Subst; Pop"},
        {"i = a is Point;", "LocalValPtr 0; ArgValPtr 0; Deref; Is classes.game.Point; Subst; Pop"},
        {"i = a + 1 is Point == 0;",
         "LocalValPtr 0; ArgValPtr 0; Deref; Push 1; Add; Is classes.game.Point; Push 0; EQ; Subst; Pop"},
        // conditionals
        {"if (a) i = 1;", "ArgValPtr 0; Deref; JumpZero 44; LocalValPtr 0; Push 1; Subst; Pop; Jump 8"},
        {"if (a) i = 1; else i = 2;",
         "ArgValPtr 0; Deref; JumpZero 44; LocalValPtr 0; Push 1; Subst; Pop; Jump 36; LocalValPtr 0; Push 2; "
         "Subst; Pop"},
        {"if (a) if (b) i = 1; else i = 2;",  // the else belongs to the inner if
         "ArgValPtr 0; Deref; JumpZero 100; ArgValPtr 1; Deref; JumpZero 44; LocalValPtr 0; Push 1; Subst; Pop; "
         "Jump 36; LocalValPtr 0; Push 2; Subst; Pop; Jump 8"},
        // loops
        {"for (i = 0; i < 3; i++) j = j + i;",
         "LocalValPtr 0; Push 0; Subst; Pop; LocalValPtr 0; Deref; Push 3; LT; JumpZero 88; LocalValPtr 1; "
         "LocalValPtr 1; Deref; LocalValPtr 0; Deref; Add; Subst; Pop; LocalValPtr 0; Push 1; AddSubst; Pop; "
         "Jump -108"},
        {"for (i in a) { if (i) break; j = i; }",
         "LocalValPtr 0; ArgValPtr 0; Deref; InitForIn; DoForIn 80; LocalValPtr 0; Deref; JumpZero 24; Jump 52; "
         "Jump 8; LocalValPtr 1; LocalValPtr 0; Deref; Subst; Pop; Jump -72; ClearForIn"},
        {"while (a) { while (b) break; break; }",
         "ArgValPtr 0; Deref; JumpZero 60; ArgValPtr 1; Deref; JumpZero 24; Jump 16; Jump -28; Jump 16; Jump -64"},
        {"for (i = 0; i; i++) break;",
         "LocalValPtr 0; Push 0; Subst; Pop; LocalValPtr 0; Deref; JumpZero 52; Jump 44; LocalValPtr 0; Push 1; "
         "AddSubst; Pop; Jump -56"},
        {"while (a) for (i in b) break;",
         "ArgValPtr 0; Deref; JumpZero 68; LocalValPtr 0; ArgValPtr 1; Deref; InitForIn; DoForIn 24; Jump 16; "
         "Jump -16; ClearForIn; Jump -72"},
        {"break; i = 1;", "LocalValPtr 0; Push 1; Subst; Pop"},  // outside a loop: nothing
        // blocks and returns
        {"{ i = 1; { j = 2; } }", "LocalValPtr 0; Push 1; Subst; Pop; LocalValPtr 1; Push 2; Subst; Pop"},
        {"return;", "PushThis; Ret"},
        {"return i * 2;", "LocalValPtr 0; Deref; Push 2; Mul; Ret"},
        {"if (a) return 1; return 2;",
         "ArgValPtr 0; Deref; JumpZero 32; Push 1; Ret; Jump 8; Push 2; Ret"},
    };
    for (const auto& c : cases) EXPECT_EQ(body(c.source), c.code) << c.source;
}

TEST_F(StatementTest, ClassCodeGathersEveryClassLevelStatement) {
    TRTTI& cls = compile("x = 1; function f() {} y = 2; native n; function g() { return x; } z = 3;");
    EXPECT_EQ(CodeText(*cls.Code()),
              "PushThis; SMemberValPtr 0; Push 1; Subst; Pop; PushThis; SMemberValPtr 1; Push 2; Subst; Pop; "
              "PushThis; SMemberValPtr 2; Push 3; Subst; Pop; Push 0f; Halt");
    // Functions compile before the class code, so g's x took the first slot.
    EXPECT_EQ(CodeText(MethodCode(cls, "g")), "PushThis; SMemberValPtr 0; Deref; Ret; PushThis; Ret; Halt");
    EXPECT_EQ(CodeText(MethodCode(cls, "f")), "PushThis; Ret; Halt");
    EXPECT_EQ(cls.Members().nameAt(0), "x");
    EXPECT_TRUE(cls.Compiled());
    EXPECT_FALSE(cls.CompileFailed());
}

TEST_F(StatementTest, SourcesWithoutStatementsGetAnEmptyClassCode) {
    const char* sources[] = {"", "function f() {}", "native n;", "// only a comment\r\n/* and another */"};
    int n = 0;
    for (const char* source : sources) {
        TRTTI& cls = compile(source, "Empty" + std::to_string(n++));
        ASSERT_NE(cls.Code(), nullptr) << source;
        EXPECT_EQ(CodeText(*cls.Code()), "Push 0f; Halt") << source;
    }
}

TEST_F(StatementTest, PeepholeFusesTheFinishedBlock) {
    TRTTI& cls = compile("function f(a) { var i; x = $y; i = a + i; o.p = o.q; }");
    EXPECT_EQ(CodeText(MethodCode(cls, "f"), false),
              "PushThis_SMemberValPtr 0; Push_Deref &$y; Subst; Pop; "
              "LocalValPtr 0; ArgValPtr_Deref 0; LocalValPtr_Deref 0; Add; Subst; Pop; "
              "PushThis_SMemberValPtr_Deref 1; DMemberValPtr p; "
              "PushThis_SMemberValPtr_Deref 1; DMemberValPtr_Deref q; Subst; Pop; "
              "PushThis; Ret; Halt");
    // Fusing rewrites first words only: the code read unfused is what the generator wrote.
    EXPECT_EQ(CodeText(MethodCode(cls, "f")),
              "PushThis; SMemberValPtr 0; Push &$y; Deref; Subst; Pop; "
              "LocalValPtr 0; ArgValPtr 0; Deref; LocalValPtr 0; Deref; Add; Subst; Pop; "
              "PushThis; SMemberValPtr 1; Deref; DMemberValPtr p; "
              "PushThis; SMemberValPtr 1; Deref; DMemberValPtr q; Deref; Subst; Pop; "
              "PushThis; Ret; Halt");
}

// Statements record where their code begins; calls record the statement's position again.
TEST_F(StatementTest, SourcePointsMarkStatementsAndCalls) {
    const std::string source = "x = 1;\nwhile (x) x = f();\nif (x) g(1);\nfor (x = 0; x; x) {}\nfunction f() {}\nfunction g(a) {}";
    TRTTI& cls = compile(source);
    std::vector<std::pair<std::string, std::uint32_t>> points;
    for (const auto& point : cls.Code()->symbols().points) points.emplace_back(point.text, point.offset);
    const std::vector<std::pair<std::string, std::uint32_t>> expected = {
        {"5", 0},     // x = 1; at its ';'
        {"7", 32},    // while, where its condition begins
        {"24", 56},   // x = f(); inside the loop
        {"24", 72},   // the call f()
        {"26", 100},  // if
        {"37", 124},  // g(1);
        {"37", 140},  // the call g(1)
        {"39", 164},  // for
    };
    EXPECT_EQ(points, expected) << CodeText(*cls.Code());
}

TEST_F(StatementTest, FunctionKindsArgumentsAndLocals) {
    TRTTI& cls = compile("constructor Test(a, b) { var x; var y, z; } destructor gone() {} function f() {}");
    ASSERT_EQ(cls.Methods().size(), 3u);
    EXPECT_EQ(cls.Methods()[0]->kind(), TFunctionKind::Constructor);
    EXPECT_EQ(cls.Methods()[1]->kind(), TFunctionKind::Destructor);
    EXPECT_EQ(cls.Methods()[2]->kind(), TFunctionKind::Normal);
    const auto& constructor = static_cast<const TNormalFunction&>(*cls.Methods()[0]);
    EXPECT_EQ(constructor.Arguments(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(constructor.Locals(), (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(cls.Constructor(), cls.Methods()[0]);
    for (const TFunction* function : cls.Methods()) EXPECT_EQ(function->Owner(), &cls);
}

}  // namespace
}  // namespace varno
