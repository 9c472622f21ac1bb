// The grammar notation, tree reading and linking, and the parser engine, on small grammars.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/MessageBox.h"
#include "front/GrammarError.h"
#include "front/ScriptGrammar.h"
#include "front/TreeDump.h"
#include "front/Yup.h"

namespace varno {
namespace {

// A result list that carries the grammar name it was made for, so dumps show it.
class TNamedList : public TResultList {
public:
    explicit TNamedList(std::string name) : m_name(std::move(name)) {}
    std::unique_ptr<TResultList> makeEmpty() const override { return std::make_unique<TNamedList>(m_name); }
    std::string_view typeName() const override { return m_name; }

private:
    std::string m_name;
};

void createNamed(TResListGetter& p) { p.list = std::make_unique<TNamedList>(p.name.empty() ? "Err" : p.name); }

// Tokens a, b, c, d and x for the syntax trees below.
constexpr std::string_view kLetters = "L\n 'a\n 'b\n 'c\n 'd\n 'x\n@\n";

std::unique_ptr<TYup> makeYup(std::string_view lexical, std::string_view syntax) {
    auto yup = std::make_unique<TYup>();
    yup->SetLexNode(SplitLines(lexical));
    yup->SetGramNode(SplitLines(syntax));
    yup->SetOnCreateList(createNamed);
    return yup;
}

std::string scan(TYup& yup, std::string_view source) {
    const auto tokens = yup.Lex(source);
    std::string out;
    for (int32_t i = 0; i < tokens->count(); ++i) {
        if (!out.empty()) out += ' ';
        out.append((*tokens)[i].kindName()).append(":").append(tokens->text((*tokens)[i]));
    }
    return out;
}

// The parse as a one-line dump, or "FAIL@offset" with the error offset.
std::string parse(TYup& yup, std::string_view source, TParseMode mode = TParseMode::Memo) {
    const auto tokens = yup.Lex(source);
    auto tree = yup.Parse(*tokens, mode);
    std::string out = tree ? DumpLine(*tree, tokens->source()) : "FAIL@" + std::to_string(tokens->errorOffset());
    tree.reset();
    TYup::EndParse();
    return out;
}

TEST(GrammarNotation, LexicalRepetitionsGroupsAndReferences) {
    const auto yup = makeYup(
        "L\n"
        " AB\n  'a\n  [}\n   'b\n"         // one or more
        " OPT\n  'x\n  []\n   'y\n  'z\n"  // zero or one
        " ANY\n  'p\n  {}\n   'q\n"        // any number
        " NUM\n  [}\n   Digit\n  Frac\n"   // references to nodes after *Stop
        " WORD\n  -\n   'e\n   'h\n  grp\n   '-\n   -\n    $65\n    $68\n"  // an inner group
        " *Stop\n"
        " -Digit\n  '0\n  '9\n"
        " []Frac\n  '.\n  Digit\n"
        "@\n",
        std::string("G\n S\n  'AB\n@\n"));
    struct {
        const char* source;
        const char* tokens;
    } cases[] = {
        {"abbb a", "AB:abbb"},
        {"xz xyz xyyz", "OPT:xz OPT:xyz"},
        {"p pqqq", "ANY:p ANY:pqqq"},
        {"12.5 3 7.", "NUM:12.5 NUM:3 NUM:7"},
        {"f- g", ""},
        {"e-h", "WORD:e-h"},
    };
    for (const auto& c : cases) EXPECT_EQ(scan(*yup, c.source), c.tokens) << c.source;
}

TEST(GrammarNotation, LexicalReferenceCycleFailsInsteadOfRecursingForever) {
    const auto yup = makeYup("L\n A\n  |\n   A\n   'a\n@\n", "G\n S\n  'A\n@\n");
    EXPECT_EQ(scan(*yup, "a"), "A:a");
}

TEST(GrammarNotation, SyntaxRepetitionsGiveOneItemPerChildPerRepetition) {
    const auto yup = makeYup(kLetters,
                             "G\n S\n  {}\n   'a\n   'b\n  []\n   'c\n  [}\n   'd\n"
                             "@\n");
    EXPECT_EQ(parse(*yup, "a b a b c d d"), "S[[a b a b] [c] [d d]]");
    EXPECT_EQ(parse(*yup, "d"), "S[[] [] [d]]");
    EXPECT_EQ(parse(*yup, "c"), "FAIL@0");
}

TEST(GrammarNotation, TopLevelOptionalSequenceUsedByReference) {
    const auto yup = makeYup(kLetters, "G\n S\n  Ext\n  'x\n []Ext\n  'a\n  'b\n@\n");
    EXPECT_EQ(parse(*yup, "a b x"), "S[Ext[a b] x]");
    EXPECT_EQ(parse(*yup, "x"), "S[Ext[] x]");
}

TEST(GrammarNotation, LinesAfterTheTerminatorAreNeverRead) {
    TMessageCapture messages;
    const auto yup = makeYup("L\n A\n  'a\n@\n trailing \n  'b \n", "G\n S\n  'A\n@\n more \n");
    EXPECT_EQ(scan(*yup, "a b"), "A:a");
    EXPECT_EQ(messages.count(), 0) << messages.text();
}

TEST(GrammarNotation, TrailingSpaceWarnsAndStays) {
    TMessageCapture messages;
    const auto yup = makeYup("L\n A \n  'a\n@\n", "G\n S\n  'A \n@\n");
    EXPECT_EQ(scan(*yup, "a"), "A :a");
    EXPECT_EQ(messages.text(), "Wanring: extra space in  A \nWanring: extra space in   'A \n");
}

TEST(GrammarNotation, FaultsAreShownAndTheBuildGoesOn) {
    TMessageCapture messages;
    const auto yup = makeYup("L\n R\n  -\n   e\n   'h\n 'x\n@\n", "G\n S\n  'zz\n  []\n   'R\n@\n");
    // The bad bound reads as 0: the range runs from 0 to 'h', the zero byte still ends the text.
    EXPECT_EQ(scan(*yup, "ahx"), "R:a R:h x:x");
    EXPECT_TRUE(yup->Built());
    const std::string fault = "\x83\x6F\x83\x4F\x94\xAD\x90\xB6:";
    EXPECT_EQ(messages.text(), fault + "Please Put '' or $ at the first letters of each children\n" + fault +
                                   "zz is not linked.\n");
    // An unlinked terminal never matches.
    EXPECT_EQ(parse(*yup, "a"), "FAIL@0");
}

TEST(GrammarNotation, BuildErrorsStopTheBuild) {
    TYup noHandler;
    noHandler.SetLexNode(SplitLines(kLetters));
    noHandler.SetGramNode(SplitLines("G\n S\n  'a\n@\n"));
    try {
        noHandler.Lex("a");
        FAIL() << "built without a handler";
    } catch (const EGrammar& e) {
        EXPECT_STREQ(e.what(), "No onCreateList Assigned");
    }
    EXPECT_FALSE(noHandler.Built());

    const auto unterminated = makeYup("L\n 'a\n 'b\n", "G\n S\n  'a\n@\n");
    EXPECT_THROW(unterminated->Lex("a"), EGrammar);
    EXPECT_FALSE(unterminated->Built());
    const auto cutRange = makeYup("L\n -\n", "G\n S\n@\n");
    EXPECT_THROW(cutRange->Lex("a"), EGrammar);

    const auto silent = makeYup(kLetters, "G\n S\n  'a\n@\n");
    silent->SetOnCreateList([](TResListGetter&) {});
    EXPECT_THROW(silent->Lex("a"), EGrammar);
}

TEST(GrammarNotation, OnCreateListIsAskedForEveryNodeInReadingOrder) {
    auto yup = makeYup(kLetters, "G\n S\n  'a\n  []\n   |\n    'b\n    T\n T\n  'c\n@\n");
    std::vector<std::string> names;
    yup->SetOnCreateList([&](TResListGetter& p) {
        names.push_back(p.name);
        createNamed(p);
    });
    yup->Lex("");
    EXPECT_EQ(names, (std::vector<std::string>{"G", "S", "a", "", "", "b", "T", "T", "c"}));
}

struct TEngineCase {
    const char* syntax;
    const char* source;
    const char* result;
};

TEST(ParserEngine, ChoicesRepetitionsAndLeftovers) {
    const TEngineCase cases[] = {
        // Tokens left over after the start node fail the whole parse.
        {"G\n S\n  []\n   'a\n  {}\n   'b\n@\n", "a b b a", "FAIL@4"},
        // A start node that may match nothing accepts an empty token list.
        {"G\n S\n  []\n   'a\n  {}\n   'b\n@\n", "", "S[[] []]"},
        // The first alternative that matches wins, even when a later one would go further...
        {"G\n S\n  |\n   P\n   Q\n  'c\n P\n  'a\n Q\n  'a\n  'b\n@\n", "a c", "S[P[a] c]"},
        {"G\n S\n  |\n   P\n   Q\n  'c\n P\n  'a\n Q\n  'a\n  'b\n@\n", "a b c", "FAIL@0"},
        // ...and the next one is tried only when the first fails at its own level.
        {"G\n S\n  |\n   P\n   Q\n  'c\n P\n  'a\n  'd\n Q\n  'a\n  'b\n@\n", "a b c", "S[Q[a b] c]"},
        // A repetition failing midway loses only its own items and gives back its tokens.
        {"G\n S\n  {}\n   'a\n   'b\n  'a\n  'd\n@\n", "a b a d", "S[[a b] a d]"},
        // A repetition that matches nothing ends the loop; it counts only when the minimum needs it.
        {"G\n S\n  {}\n   []\n    'a\n  'b\n@\n", "b", "S[[] b]"},
        {"G\n S\n  [}\n   []\n    'a\n  'b\n@\n", "b", "S[[[]] b]"},
        {"G\n S\n  {}\n   []\n    'a\n  'b\n@\n", "a a b", "S[[[a] [a]] b]"},
        // A sequence without children completes no repetition.
        {"G\n S\n  'a\n  E\n E\n@\n", "a", "FAIL@0"},
        {"G\n S\n  'a\n  {}\n@\n", "a", "S[a []]"},
        // The error position is the start of the last token matched, even when backtracking
        // had matched later tokens before: here Q re-matches the first token last.
        {"G\n S\n  |\n   P\n   Q\n  'd\n P\n  'a\n  'b\n  'c\n  'x\n Q\n  'a\n@\n", "a b c d", "FAIL@0"},
        // Left recursion is cut off at the nesting limit instead of overflowing the stack.
        {"G\n S\n  S\n  'a\n@\n", "a", "FAIL@0"},
        {"G\n S\n  |\n   T\n T\n  |\n   S\n@\n", "a", "FAIL@0"},
    };
    for (const TEngineCase& c : cases) {
        const auto yup = makeYup(kLetters, c.syntax);
        EXPECT_EQ(parse(*yup, c.source, TParseMode::Faithful), c.result) << c.syntax << "on: " << c.source;
        EXPECT_EQ(parse(*yup, c.source, TParseMode::Memo), c.result) << c.syntax << "on: " << c.source;
    }
}

TEST(ParserEngine, ResultsAreFreshListsAndCountersBalance) {
    const auto yup = makeYup(kLetters, "G\n S\n  {}\n   T\n  'x\n T\n  'a\n@\n");
    yup->Lex("");  // build: prototypes live as long as the grammar
    const int64_t lists = TResultList::LiveCount();
    const int64_t parses = TYup::ParsesInFlight();
    {
        const auto tokens = yup->Lex("a a x");
        auto tree = yup->Parse(*tokens);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(TYup::ParsesInFlight(), parses + 1);
        EXPECT_EQ(TResultList::LiveCount(), lists + 4);  // S, the group, two T
        EXPECT_NE(tree->list(0)->list(0), tree->list(0)->list(1));
        tree.reset();
        TYup::EndParse();
        EXPECT_EQ(TResultList::LiveCount(), lists);
        // A failed parse leaves the token list intact.
        const auto bad = yup->Lex("a a");
        EXPECT_EQ(yup->Parse(*bad), nullptr);
        TYup::EndParse();
        EXPECT_EQ(bad->count(), 2);
        EXPECT_EQ(TResultList::LiveCount(), lists);
    }
    EXPECT_EQ(TYup::ParsesInFlight(), parses);
}

}  // namespace
}  // namespace varno
