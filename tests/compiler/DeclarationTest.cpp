// Declarations, superclasses, compile errors with their texts and positions, and the compile entry.
#include <gtest/gtest.h>

#include "CompilerFixture.h"
#include "base/MessageBox.h"
#include "runtime/Function.h"
#include "runtime/Hooks.h"
#include "runtime/Messages.h"
#include "support/TestSupport.h"

namespace varno {
namespace {

using test::CodeText;
using test::MethodCode;

class DeclarationTest : public test::TCompilerTest {
protected:
    DeclarationTest() : m_base(addClass("classes", "Base", {"o", "x"})) { addMethod(m_base, "function", "bf"); }
    TRTTI& m_base;
};

TEST_F(DeclarationTest, TwoFunctionsOfOneNameMergeIntoTheLater) {
    TRTTI& cls = compile("function f(a) { var x; return 1; } function F(b) { var y; return 2; }");
    ASSERT_EQ(cls.Methods().size(), 1u);
    const auto& f = static_cast<const TNormalFunction&>(*cls.Methods()[0]);
    EXPECT_EQ(f.Arguments(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(f.Locals(), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(CodeText(*f.Code()), "Push 2; Ret; PushThis; Ret; Halt");
}

TEST_F(DeclarationTest, OverridingKeepsTheInheritedSlot) {
    TRTTI& cls = compile("extends classes.Base; function g() {} function bf() { return 1; } function h() { bf(); }");
    ASSERT_EQ(cls.Methods().size(), 3u);
    EXPECT_EQ(cls.Methods()[0]->Owner(), &cls);
    EXPECT_EQ(cls.Methods()[0]->NameText(), "bf");
    EXPECT_EQ(m_base.Methods()[0]->Owner(), &m_base);  // the superclass keeps its own
    EXPECT_EQ(CodeText(MethodCode(cls, "h")), "PushThis; SCall 0,0; Pop; PushThis; Ret; Halt");
}

TEST_F(DeclarationTest, NativeIsAppendedBehindAnInheritedEntry) {
    TRTTI& cls = compile("extends classes.Base; native bf; function h() { bf(); }");
    ASSERT_EQ(cls.Methods().size(), 3u);
    EXPECT_EQ(cls.Methods()[0]->Owner(), &m_base);
    EXPECT_EQ(cls.Methods()[1]->kind(), TFunctionKind::Native);
    EXPECT_EQ(cls.MethodByName("bf"), m_base.Methods()[0]);  // lookups find the existing entry first
    EXPECT_EQ(CodeText(MethodCode(cls, "h")), "PushThis; SCall 0,0; Pop; PushThis; Ret; Halt");
}

TEST_F(DeclarationTest, InheritedMembersComeFirst) {
    TRTTI& cls = compile("extends Base; y = 1; x = 2;");  // the short name is an alias
    ASSERT_EQ(cls.Members().count(), 3);
    EXPECT_EQ(cls.Members().nameAt(0), "o");
    EXPECT_EQ(cls.Members().nameAt(1), "x");
    EXPECT_EQ(cls.Members().nameAt(2), "y");
    EXPECT_EQ(cls.SuperClass(), &m_base);
}

TEST_F(DeclarationTest, SuperclassNotCompiledYetLeavesTheClassUncompiledWithoutError) {
    TRTTI& lazy = addClass("classes", "Lazy");
    lazy.SetCompiled(false);
    TRTTI& cls = newClass();
    const std::string source = "extends classes.Lazy; x = 1; function f() {}";
    EXPECT_FALSE(CompileSource(cls, source, &root()).has_value());
    EXPECT_FALSE(cls.Compiled());
    EXPECT_FALSE(cls.CompileFailed());
    EXPECT_EQ(cls.SuperClass(), &lazy);
    EXPECT_TRUE(cls.Methods().empty());
    EXPECT_EQ(cls.Code(), nullptr);

    lazy.SetCompiled(true);
    cls.Reset();
    EXPECT_FALSE(CompileSource(cls, source, &root()).has_value());
    EXPECT_TRUE(cls.Compiled());
}

TEST_F(DeclarationTest, CompileErrorsCarryTheirTextAndStatementPosition) {
    const struct {
        std::string source;
        std::string expected;
    } cases[] = {
        {"extends Nope;", "Test:Nope is undefined.@0"},
        {"extends classes.Nope.Deeper;", "Test:classes.Nope.Deeper is undefined.@0"},
        {"extends classes;", "Test:classes(TResourceList) is not a Class.@0"},
        {"x = 1;\ny = new Missing();", "Test:Missing is not defined.@24"},
        {"x = 1;\nif (new Missing()) y = 2;", "Test:Missing is not defined.@7"},
        {"while (x) { y = new $g(1); }", "Test:$g(TGlobalValue) is not a Class.@25"},
        {"x = new classes();", "Test:classes(TResourceList) is not a Class.@17"},
        {"x = y is Missing;", "Test:\" \"\"is\"\" Operator must be followed by Class.\"@16"},
        {"x = y is $g;", "Test:\" \"\"is\"\" Operator must be followed by Class.\"@11"},
        {"function f() { x = 1; y = new Missing(); }", "Test:Missing is not defined.@39"},
        // number conversions pass their own message through
        {"x = 2147483647; y = 2147483648;", "'2147483648' is not a valid integer value@30"},
        {"x = 1" + std::string(60, '0') + ".5;", "'1" + std::string(60, '0') + ".5' is not a valid floating point value@67"},
        // syntax errors: at the most recently matched token start, 0 when none matched
        {"x = 1; }", "Syntax Error@5"},
        {"   else", "Syntax Error@0"},
        {"x *= 2;", "Syntax Error@0"},
    };
    for (const auto& c : cases) EXPECT_EQ(errorOf(c.source), c.expected) << c.source;
}

TEST_F(DeclarationTest, AFailedCompileKeepsWhatWasDeclared) {
    TRTTI& cls = newClass();
    const auto diagnostic = CompileSource(cls, "function f() {} function g() { x = new Missing(); }", &root());
    ASSERT_TRUE(diagnostic.has_value());
    EXPECT_EQ(diagnostic->kind, TDiagnosticKind::Compile);
    EXPECT_TRUE(cls.CompileFailed());
    EXPECT_FALSE(cls.Compiled());
    EXPECT_EQ(cls.Methods().size(), 2u);
    EXPECT_EQ(cls.Code(), nullptr);
    cls.Reset();
    EXPECT_FALSE(CompileSource(cls, "function f() {}", &root()).has_value());
    EXPECT_FALSE(cls.CompileFailed());
    EXPECT_TRUE(cls.Compiled());
}

TEST_F(DeclarationTest, CompileClassReportsWhenAsked) {
    TMessageCapture shown;
    TRTTI& syntax = newClass("Syntax");
    EXPECT_TRUE(CompileClass(syntax, "x = 1; }", true));
    EXPECT_EQ(shown.text(), "Syntax Errorusr\\Syntax.varno\n");
    EXPECT_TRUE(syntax.CompileFailed());

    TRTTI& semantic = newClass("Semantic");
    EXPECT_TRUE(CompileClass(semantic, "x = new Missing();", true));
    EXPECT_EQ(shown.count(), 2);
    EXPECT_TRUE(shown.text().ends_with("Semantic:Missing is not defined.\n"));

    TRTTI& quiet = newClass("Quiet");
    EXPECT_TRUE(CompileClass(quiet, "x = new Missing();", false));
    EXPECT_EQ(shown.count(), 2);

    TRTTI& fine = newClass("Fine");
    EXPECT_FALSE(RuntimeHooks().compileSource(fine, "x = 1;", true));  // the hook evaluation uses
    EXPECT_TRUE(fine.Compiled());
    EXPECT_EQ(shown.count(), 2);
}

TEST_F(DeclarationTest, MessagePiecesComeFromTheMessageFile) {
    const std::filesystem::path saved = ProgramDir();
    test::TTempDir dir;
    test::WriteBytes(dir.path() / "Kernel" / "message.ini", " is undefined.=, which nobody defined\r\n");
    SetProgramDir(dir.path());
    const std::string text = errorOf("extends Nope;");
    SetProgramDir(saved);
    EXPECT_EQ(text, "Test:Nope, which nobody defined@0");
}

}  // namespace
}  // namespace varno

namespace varno {
namespace {

using CheckTest = test::TCompilerTest;

TEST_F(CheckTest, CheckCompilesAThrowAwayClassAndReturnsTheFirstError) {
    EXPECT_FALSE(CheckClassSource("Checked", "function f() { return new Checked(); }", &root()).has_value());
    EXPECT_EQ(root().Find("Checked"), nullptr);  // gone afterwards

    auto syntax = CheckClassSource("Checked", "x = 1;\n}", &root());
    ASSERT_TRUE(syntax.has_value());
    EXPECT_EQ(syntax->kind, TDiagnosticKind::Syntax);
    EXPECT_EQ(syntax->message, "Syntax Error");
    EXPECT_EQ(syntax->offset, 5);

    auto compile = CheckClassSource("Checked", "x = 1;\ny = new Missing();", &root());
    ASSERT_TRUE(compile.has_value());
    EXPECT_EQ(compile->kind, TDiagnosticKind::Compile);
    EXPECT_EQ(compile->message, "Checked:Missing is not defined.");
    EXPECT_EQ(compile->offset, 24);

    addClass("classes", "Lazy").SetCompiled(false);
    auto waiting = CheckClassSource("Checked", "extends classes.Lazy;", &root());
    ASSERT_TRUE(waiting.has_value());
    EXPECT_EQ(waiting->message, "Checked:classes.Lazy is not compiled.");
}

}  // namespace
}  // namespace varno
