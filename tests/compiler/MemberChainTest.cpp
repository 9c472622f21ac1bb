// The member-chain compiler: which instruction each kind of name, element and call compiles to.
#include <gtest/gtest.h>

#include "CompilerFixture.h"
#include "runtime/CodeVerifier.h"
#include "runtime/Function.h"

namespace varno {
namespace {

using test::CodeText;
using test::MethodCode;

// Base (classes.Base) has the members o (slot 0) and x (slot 1) and the methods bf (a
// function, index 0), nat (native, 1) and the constructor Base (2). The class under test
// extends it and adds f (3), g (4) and the native n (5).
class MemberChainTest : public test::TCompilerTest {
protected:
    MemberChainTest() : m_base(addClass("classes", "Base", {"o", "x"})) {
        addMethod(m_base, "function", "bf");
        addMethod(m_base, "native", "nat");
        addMethod(m_base, "constructor", "Base");
    }

    std::string body(const std::string& statements) {
        TRTTI& cls = compile("extends classes.Base; function f(a, b) { var i, j; " + statements +
                             " } function g() {} native n;");
        if (!cls.Compiled()) return "not compiled";
        const TCompiledInfo& code = MethodCode(cls, "f");
        VerifyCode(const_cast<TCompiledInfo&>(code), 2);
        std::string text = CodeText(code);
        const std::string tail = "; PushThis; Ret; Halt";
        EXPECT_TRUE(text.ends_with(tail)) << text;
        return text.substr(0, text.size() - tail.size());
    }

    TRTTI& m_base;
};

TEST_F(MemberChainTest, EachKindOfNameAndElementWritesItsInstruction) {
    const struct {
        const char* source;
        const char* code;
    } cases[] = {
        // the first name: local, argument (names ignore case), global, this, member
        {"i;", "LocalValPtr 0; Deref; Pop"},
        {"a;", "ArgValPtr 0; Deref; Pop"},
        {"I = A;", "LocalValPtr 0; ArgValPtr 0; Deref; Subst; Pop"},
        {"$g = 1;", "Push &$g; Push 1; Subst; Pop"},
        {"i = $g;", "LocalValPtr 0; Push &$g; Deref; Subst; Pop"},
        {"$g.x = 1;", "Push &$g; Deref; DMemberValPtr x; Push 1; Subst; Pop"},
        {"$g.f();", "Push &$g; Deref; DCall 0,f; Pop"},
        {"this;", "PushThis; Pop"},
        {"x = 1;", "PushThis; SMemberValPtr 1; Push 1; Subst; Pop"},
        {"X++;", "PushThis; SMemberValPtr 1; Push 1; AddSubst; Pop"},
        {"fresh = o;", "PushThis; SMemberValPtr 2; PushThis; SMemberValPtr 0; Deref; Subst; Pop"},
        // this.name is the member of the class; a name after a value is looked up at run time
        {"this.x = 1;", "PushThis; SMemberValPtr 1; Push 1; Subst; Pop"},
        {"i = this.x;", "LocalValPtr 0; PushThis; SMemberValPtr 1; Deref; Subst; Pop"},
        {"o.x = 5;", "PushThis; SMemberValPtr 0; Deref; DMemberValPtr x; Push 5; Subst; Pop"},
        {"o.b.c = 5;",
         "PushThis; SMemberValPtr 0; Deref; DMemberValPtr b; Deref; DMemberValPtr c; Push 5; Subst; Pop"},
        {"i = o.b;", "LocalValPtr 0; PushThis; SMemberValPtr 0; Deref; DMemberValPtr b; Deref; Subst; Pop"},
        {"i = o.this;", "LocalValPtr 0; PushThis; SMemberValPtr 0; Deref; Subst; Pop"},
        {"o.this.x = 1;", "PushThis; SMemberValPtr 0; Deref; DMemberValPtr x; Push 1; Subst; Pop"},
        // calls: on a value, of the class (byte code or native), of the superclass
        {"o.f(1, i);", "PushThis; SMemberValPtr 0; Deref; Push 1; LocalValPtr 0; Deref; DCall 2,f; Pop"},
        {"o.constructor(1);", "PushThis; SMemberValPtr 0; Deref; Push 1; DCall 1,constructor; Pop"},
        {"i = o.f().x;",
         "LocalValPtr 0; PushThis; SMemberValPtr 0; Deref; DCall 0,f; DMemberValPtr x; Deref; Subst; Pop"},
        {"o.f().x = 1;", "PushThis; SMemberValPtr 0; Deref; DCall 0,f; DMemberValPtr x; Push 1; Subst; Pop"},
        {"g();", "PushThis; SCall 0,4; Pop"},
        {"this.g(1);", "PushThis; Push 1; SCall 1,4; Pop"},
        {"i = g().x;", "LocalValPtr 0; PushThis; SCall 0,4; DMemberValPtr x; Deref; Subst; Pop"},
        {"bf();", "PushThis; SCall 0,0; Pop"},
        {"nat(i);", "PushThis; LocalValPtr 0; Deref; NativeCall 1,nat; Pop"},
        {"this.n();", "PushThis; NativeCall 0,n; Pop"},
        {"super(1);", "PushThis; Push 1; SuperCall 1,Base; Pop"},
        {"this.super(1);", "PushThis; Push 1; SuperCall 1,Base; Pop"},
        {"super.bf(a);", "PushThis; ArgValPtr 0; Deref; SuperCall 1,bf; Pop"},
        {"f(a = 1, o.x);",
         "PushThis; ArgValPtr 0; Push 1; Subst; PushThis; SMemberValPtr 0; Deref; DMemberValPtr x; Deref; "
         "SCall 2,3; Pop"},
        // the loop variable of for-in is an address
        {"for (o.x in a) i++;",
         "PushThis; SMemberValPtr 0; Deref; DMemberValPtr x; ArgValPtr 0; Deref; InitForIn; DoForIn 44; "
         "LocalValPtr 0; Push 1; AddSubst; Pop; Jump -36; ClearForIn"},
    };
    for (const auto& c : cases) EXPECT_EQ(body(c.source), c.code) << c.source;
}

TEST_F(MemberChainTest, LocalsHideArgumentsWhichHideGlobalsAndThis) {
    TRTTI& cls = compile("function h(a, $g) { var a, this; a = 1; $g = 2; this = 3; }");
    EXPECT_EQ(CodeText(MethodCode(cls, "h")),
              "LocalValPtr 0; Push 1; Subst; Pop; ArgValPtr 1; Push 2; Subst; Pop; LocalValPtr 1; Push 3; Subst; "
              "Pop; PushThis; Ret; Halt");
}

TEST_F(MemberChainTest, UndeclaredNamesBecomeMembersAndGlobalsAreShared) {
    TRTTI& first = compile("function tick() { count = count + 1; } $score = 1;", "First");
    EXPECT_EQ(first.Members().count(), 1);
    EXPECT_EQ(first.Members().nameAt(0), "count");

    TRTTI& second = compile("function f() { $SCORE = 2; }", "Second");
    const std::uint32_t cellA = first.Code()->word(8);
    const std::uint32_t cellB = MethodCode(second, "f").word(8);
    EXPECT_EQ(cellA, cellB);  // one variable, whichever class names it
    ASSERT_NE(root().Find("$score"), nullptr);
    EXPECT_EQ(RefOf(root().Find("$score")->ValueCell()), cellA);
    EXPECT_EQ(second.Members().count(), 0);
}

TEST_F(MemberChainTest, ChainErrors) {
    const std::string base = "extends classes.Base; ";
    const std::string superMust = "\": \"\"super\"\" must be followed by Method invocation.\"";
    const struct {
        std::string source;
        std::string message;
        int at = -1;  // the position reported; -1: the last ';'
    } cases[] = {
        {base + "super.x = 1;", "Test:super.x" + superMust},
        {base + "i = super.y.z;", "Test:super.y" + superMust},
        {base + "super;", "Test:super" + superMust},
        {base + "i = super.nat();", "Test:Method super.nat is native method. Cannot invoke."},
        {base + "super.missing();", "Test:Method super.missing is undefined."},
        {"super.f();", "Test:Method super.f is undefined."},
        {"super(1);", "Test:Method super.constructor is undefined."},
        {base + "missing();", "Test:Methodmissing is undefined."},
        {"o.f() = 1;", "Test:Left side of assertion cannot be a method invocation."},
        {"o.f()++;", "Test:Left side of assertion cannot be a method invocation."},
        {"x += f();", "Test:Methodf is undefined."},
        // reported at the statement: a for-in loop's position is its `for`
        {"x = 1; for (o.f() in a) x = 1;", "Test:Left side of assertion cannot be a method invocation.", 7},
    };
    for (const auto& c : cases) {
        const std::size_t at = c.at >= 0 ? static_cast<std::size_t>(c.at) : c.source.rfind(';');
        EXPECT_EQ(errorOf(c.source), c.message + "@" + std::to_string(at)) << c.source;
    }
}

}  // namespace
}  // namespace varno
