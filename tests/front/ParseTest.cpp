// The script grammar: what it accepts, the item layout of each node class, error positions.
#include <gtest/gtest.h>

#include "ScriptParse.h"
#include "front/ScriptNodes.h"
#include "front/SourcePos.h"
#include "support/TestSupport.h"

namespace varno {
namespace {

using test::TScriptParse;

struct TAcceptCase {
    const char* source;
    bool accepted;
};

TEST(ScriptSyntax, AcceptsAndRejects) {
    const TAcceptCase cases[] = {
        {"", true},
        {"/* only a comment */ // and another", true},
        {"x = 1", false},
        {";", false},
        // Assignment heads an expression statement or a parenthesised expression only.
        {"a = b = c;", false},
        {"a = (b = c);", true},
        {"a += 1; a -= 2;", true},
        {"a *= 2;", false},
        {"a /= 2;", false},
        {"x = a & b;", false},
        {"x = a | b;", false},
        {"fork f();", false},
        // Loops.
        {"for (;;) x;", false},
        {"for (i = 0; i < 3; i += 1) x;", true},
        {"for (i = 0; i < 3) x;", false},
        {"for (x in list) s;", true},
        {"for (x.y in list.items()) { s; }", true},
        {"while (a) {}", true},
        {"while (a) break;", true},
        {"break;", true},
        {"{}", true},
        {"{ a; { b; } }", true},
        // Function bodies: var declarations first, only at the top of the body.
        {"function f() {}", true},
        {"function f(a, b) { var x; var y, z; x = a; return x; }", true},
        {"function f() { x = 1; var y; }", false},
        {"function f() { { var a; } }", false},
        {"function f(a, b,) {}", false},
        {"function f() { var; }", true},
        {"var a;", false},
        {"constructor new2(a) { super.constructor(a); }", true},
        {"destructor d() {}", true},
        {"native _n_draw;", true},
        {"native f(a);", false},
        {"extends classes.lang.Object; x = 1;", true},
        {"x = 1; extends A;", false},
        {"extends A; extends B;", false},
        // Operators.
        {"x++; y--;", true},
        {"++x;", false},
        {"--x;", false},
        {"x = -a++ * !b;", true},
        {"x = a - - b;", true},
        {"x = a + + b;", false},
        {"x = a < b < c;", true},
        {"x = a.b(1).c(d, e)++;", true},
        {"x = y is a.B;", true},
        {"x = y is 3;", false},
        {"x = new a.B(1, \"s\", null);", true},
        {"x = new B;", false},
        {"new B();", true},
        {"x = ();", false},
        {"f(,);", false},
        {"f(a,);", false},
        {"x = 1.5 + \"s\" + null;", true},
        {"x = this.y + super.z;", true},
        {"if (a) x; else y;", true},
        {"if (a) x; else", false},
        {"if (a) if (b) x; else y; else z;", true},
        {"return;", true},
        {"return a = 1;", true},
    };
    for (const TAcceptCase& c : cases) {
        EXPECT_EQ(TScriptParse(c.source).ok(), c.accepted) << c.source;
    }
}

struct TLayoutCase {
    const char* source;
    GKind kind;
    int depth;
    const char* layout;
};

// Item layouts the code generator reads by position; DumpLine writes an unnamed group as [...]
// and a node below the shown depth as <Name>.
TEST(ScriptSyntax, NodeItemLayouts) {
    const TLayoutCase cases[] = {
        {"", GKind::Program, -1, "Program[Extends[] []]"},
        {"native n; function f() {} x;", GKind::Program, 1, "Program[<Extends> [<NativeDecl> <FuncDecl> <ExprS>]]"},
        {"extends a.b;", GKind::Extends, -1, "Extends[extends ResourceVal[a [. b]] ;]"},
        {"a = b;", GKind::ExprS, 1, "ExprS[<Expr> ;]"},
        {"a = b;", GKind::Expr, 1, "Expr[[<LVal> =] <RVal>]"},
        {"a += b;", GKind::Expr, 2, "Expr[[LVal[<LValE> []] +=] RVal[<OrEx> []]]"},
        {"b;", GKind::Expr, 1, "Expr[[] <RVal>]"},
        {"x = a || b || c;", GKind::RVal, 1, "RVal[<OrEx> [|| <OrEx> || <OrEx>]]"},
        {"x = a && b;", GKind::OrEx, 1, "OrEx[<AndEx> [&& <AndEx>]]"},
        {"x = a < b >= c != d;", GKind::AndEx, 1, "AndEx[<IsEx> [< <IsEx> >= <IsEx> != <IsEx>]]"},
        {"x = a is b.C;", GKind::IsEx, 1, "IsEx[<CompEx> [is <ResourceVal>]]"},
        {"x = a;", GKind::IsEx, 1, "IsEx[<CompEx> []]"},
        {"x = a + b - c;", GKind::CompEx, 1, "CompEx[<ASEx> [+ <ASEx> - <ASEx>]]"},
        {"x = a * b / c % d;", GKind::ASEx, 1, "ASEx[<MDEx> [* <MDEx> / <MDEx> % <MDEx>]]"},
        {"x = -a;", GKind::MDEx, 1, "MDEx[[-] <IncEx>]"},
        {"x = !1;", GKind::MDEx, 1, "MDEx[[!] <Const>]"},
        {"x = (a);", GKind::MDEx, 1, "MDEx[[] <Par>]"},
        {"x = a++;", GKind::IncEx, 1, "IncEx[<LVal> [++]]"},
        {"x = new a.B(1, 2);", GKind::NewObj, 1, "NewObj[new <ResourceVal> ( <ArgList> )]"},
        {"x = new B();", GKind::NewObj, 2, "NewObj[new ResourceVal[B []] ( ArgList[] )]"},
        {"x = (a = b);", GKind::Par, 1, "Par[( <Expr> )]"},
        {"x = null;", GKind::Const, -1, "Const[null]"},
        {"x = 12.5;", GKind::Const, -1, "Const[12.5]"},
        {"x = \"s\";", GKind::Const, -1, "Const[\"s\"]"},
        {"a.f(1).g;", GKind::LVal, 2, "LVal[LValE[a []] [. LValE[f [( <ArgList> )]] . LValE[g []]]]"},
        {"constructor(1);", GKind::LValE, 1, "LValE[constructor [( <ArgList> )]]"},
        {"f(a, b, c);", GKind::ArgList, 1, "ArgList[<Expr> [, <Expr> , <Expr>]]"},
        {"f(a);", GKind::ArgList, 1, "ArgList[<Expr> []]"},
        {"{ a; b; }", GKind::Block, 1, "Block[{ [<ExprS> <ExprS>] }]"},
        {"for (e in l.x) e.go();", GKind::Forin, 1, "Forin[for ( <LVal> in <Expr> ) <ExprS>]"},
        {"while (1) break;", GKind::While, 1, "While[while ( <Expr> ) <Break>]"},
        {"for (i = 0; i < 3; i += 1) {}", GKind::For, 1, "For[for ( <Expr> ; <Expr> ; <Expr> ) <Block>]"},
        {"break;", GKind::Break, -1, "Break[break ;]"},
        // The else belongs to the inner if.
        {"if (a) if (b) x; else y;", GKind::If, 2,
         "If[if ( Expr[[] <RVal>] ) If[if ( <Expr> ) <ExprS> [else <ExprS>]] []]"},
        {"return;", GKind::Return, -1, "Return[return [] ;]"},
                {"return 1;", GKind::Return, 1, "Return[return [<Expr>] ;]"},
        {"function f(a, b) {}", GKind::FuncDecl, 1, "FuncDecl[function f ( <VArgList> ) <VarBlock>]"},
        {"destructor d() {}", GKind::FuncDecl, 2, "FuncDecl[destructor d ( VArgList[] ) VarBlock[{ [] [] }]]"},
        {"function f(a, b) {}", GKind::VArgList, -1, "VArgList[a [, b]]"},
        {"native n;", GKind::NativeDecl, -1, "NativeDecl[native n ;]"},
        {"function f() { var x; var y, z; x; }", GKind::VarBlock, 1, "VarBlock[{ [<VarDecl> <VarDecl>] [<ExprS>] }]"},
        {"function f() { var y, z; }", GKind::VarDecl, -1, "VarDecl[var VArgList[y [, z]] ;]"},
    };
    for (const TLayoutCase& c : cases) {
        const TScriptParse parsed(c.source);
        ASSERT_TRUE(parsed.ok()) << c.source;
        const TResList* node = parsed.find(c.kind);
        ASSERT_NE(node, nullptr) << c.source << " has no " << KindName(c.kind);
        EXPECT_EQ(DumpLine(*node, parsed.tokens().source(), c.depth), c.layout) << c.source;
    }
}

TEST(ScriptSyntax, TypedItemAccess) {
    const TScriptParse parsed("if (a) b; else c;");
    ASSERT_TRUE(parsed.ok());
    auto* program = dynamic_cast<G_Program*>(parsed.tree());
    ASSERT_NE(program, nullptr);
    EXPECT_NE(program->nodeAs<G_Extends>(0), nullptr);
    EXPECT_EQ(program->nodeAs<G_If>(0), nullptr);
    auto* statement = program->nodeAs<G_Err>(1)->nodeAs<G_If>(0);
    ASSERT_NE(statement, nullptr);
    EXPECT_EQ(statement->token(0)->kindName(), "if");
    EXPECT_EQ(statement->node(0), nullptr);
    EXPECT_NE(statement->nodeAs<G_Expr>(2), nullptr);
    EXPECT_EQ(statement->nodeAs<G_Expr>(9), nullptr);
    EXPECT_EQ(parsed.tokens().text(*statement->nodeAs<G_Err>(5)->token(0)), "else");
}

struct TErrorCase {
    const char* source;
    int32_t offset;
    int32_t line;
    int32_t column;
};

TEST(ScriptSyntax, ErrorPositionIsTheLastMatchedToken) {
    const TErrorCase cases[] = {
        {"a = b = c;", 4, 1, 5},
        {"x = ;", 2, 1, 3},
        // Nothing matched at all: the start of the text.
        {"; x;", 0, 1, 1},
        {"", -1, 0, 0},
        {"x = 1;\r\ny = ;", 10, 2, 3},
        {"function f() {\n  x = 1;\n  var y;\n}", 22, 2, 8},
        // Positions can lie before the fault: the brace closing f, not the stray one after it...
        {"function f() { x = 1; } }", 22, 1, 23},
        // ...or before it when backtracking re-matched earlier tokens: for-in last matched "a".
        {"for (a; b) c;", 5, 1, 6},
        // A two-byte character counts as one column.
        {"s = \"\x82\xA0\x82\xA2\"; t = = 1;", 14, 1, 13},
        // The prefix operators that do not exist.
        {"x = 1;\n++x;", 5, 1, 6},
        {"a *= 2;", 0, 1, 1},
    };
    for (const TErrorCase& c : cases) {
        const TScriptParse parsed(c.source);
        if (c.offset < 0) {
            EXPECT_TRUE(parsed.ok()) << c.source;
            continue;
        }
        ASSERT_FALSE(parsed.ok()) << c.source;
        EXPECT_EQ(parsed.errorOffset(), c.offset) << c.source;
        const TLineColumn at = LineColumnAt(c.source, parsed.errorOffset());
        EXPECT_EQ(at.line, c.line) << c.source;
        EXPECT_EQ(at.column, c.column) << c.source;
    }
}

// A saved dump of a class that uses every statement form; set VARNO_UPDATE_GOLDEN=1 to rewrite
// the expected file after a deliberate change, then review the difference like code.
TEST(ScriptSyntax, SampleClassTree) {
    const std::string source = test::ReadBytes(test::DataPath("front/sample.varno"));
    const TScriptParse parsed(source);
    ASSERT_TRUE(parsed.ok()) << parsed.dump();
    const auto expectedPath = test::DataPath("front/sample.tree");
    if (std::getenv("VARNO_UPDATE_GOLDEN")) test::WriteBytes(expectedPath, parsed.dump());
    EXPECT_EQ(parsed.dump(), test::ReadBytes(expectedPath));
}

TEST(ScriptSyntax, DeepNestingIsRejectedNotACrash) {
    const auto nested = [](int depth) {
        return "x = " + std::string(depth, '(') + "1" + std::string(depth, ')') + ";";
    };
    EXPECT_TRUE(TScriptParse(nested(100)).ok());
    const TScriptParse deep(nested(5000));
    EXPECT_FALSE(deep.ok());
    EXPECT_GT(deep.errorOffset(), 4);
}

}  // namespace
}  // namespace varno
