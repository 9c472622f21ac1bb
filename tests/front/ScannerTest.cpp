// The script scanner: token boundaries of the built-in lexical tree.
#include <gtest/gtest.h>

#include <string>

#include "base/MessageBox.h"
#include "front/ScriptGrammar.h"

namespace varno {
namespace {

// Tokens as "KIND:text", the kind left out where it is the text itself (keywords, operators).
std::string scan(std::string_view source) {
    const auto tokens = ScriptYup().Lex(source);
    std::string out;
    for (int32_t i = 0; i < tokens->count(); ++i) {
        const TLexElem& token = (*tokens)[i];
        const std::string_view text = tokens->text(token);
        if (!out.empty()) out += ' ';
        if (token.kindName() != text) out.append(token.kindName()).append(":");
        out.append(text);
    }
    return out;
}

TEST(Scanner, BuiltInGrammarBuildsWithoutMessages) {
    TMessageCapture messages;
    EXPECT_NE(ScriptYup().tokenKind("COMM"), nullptr);
    scan("x");
    EXPECT_TRUE(ScriptYup().Built());
    EXPECT_EQ(messages.count(), 0) << messages.text();
}

struct TScanCase {
    const char* source;
    const char* tokens;
};

TEST(Scanner, TokenBoundaries) {
    const TScanCase cases[] = {
        {"", ""},
        {"   \t\r\n", ""},
        // Longest match; the earlier kind wins at equal length.
        {"a+=b", "SYMBOL:a += SYMBOL:b"},
        {"a++ +b", "SYMBOL:a ++ + SYMBOL:b"},
        {"!==<=<", "!= = <= <"},
        {"while", "while"},
        {"whilex while1 _while", "SYMBOL:whilex SYMBOL:while1 SYMBOL:_while"},
        {"for fork forx", "for fork SYMBOL:forx"},
        {"is in int this super", "is in SYMBOL:int SYMBOL:this SYMBOL:super"},
        // Comments: "//" runs to the first byte below 0x20; a tab ends it too.
        {"a // note\nb", "SYMBOL:a COMM:// note SYMBOL:b"},
        {"a // x\ty", "SYMBOL:a COMM:// x SYMBOL:y"},
        {"/* a */b", "COMM:/* a */ SYMBOL:b"},
        {"/* a **/ b */ c", "COMM:/* a **/ b */ SYMBOL:c"},
        {"/* a **/ b", "/ * SYMBOL:a * * / SYMBOL:b"},
        {"/**/x", "COMM:/**/ SYMBOL:x"},
        // Numbers: no sign, no exponent, a point only between digits.
        {"1. .5 1.5 12", "NUM:1 . . NUM:5 NUM:1.5 NUM:12"},
        {"-3e5", "- NUM:3 SYMBOL:e5"},
        // '$' may only begin a name.
        {"$a$b a$b $", "SYMBOL:$a SYMBOL:$b SYMBOL:a SYMBOL:$b SYMBOL:$"},
        // Two-byte characters are name characters; single-byte katakana (0xA1-0xDF) is skipped.
        {"\x82\xA0x1", "SYMBOL:\x82\xA0x1"},
        {"a\xB1" "b", "SYMBOL:a SYMBOL:b"},
        {"#@?`", ""},
        // Strings: a two-byte character takes its trail byte even when it is '\' or '"'.
        {"\"a b\"", "STRING:\"a b\""},
        {"\"\x83\x5C\"x", "STRING:\"\x83\x5C\" SYMBOL:x"},
        {"\"a\\\"b\"", "STRING:\"a\\\"b\""},
        {"\"\x82\xA0\"", "STRING:\"\x82\xA0\""},
        // A katakana byte before the closing quote swallows it: the literal does not end there.
        {"\"\xB1\" x\"", "STRING:\"\xB1\" x\""},
        {"\"\xB1\"", ""},
        // No control byte inside a string: the quote starts no token and is skipped.
        {"\"a\nb\"", "SYMBOL:a SYMBOL:b"},
    };
    for (const TScanCase& c : cases) {
        EXPECT_EQ(scan(c.source), c.tokens) << "source: " << c.source;
    }
    // The scan ends at a zero byte.
    EXPECT_EQ(scan(std::string_view("a\0b", 3)), "SYMBOL:a");
}

TEST(Scanner, TokensCoverTheirBytes) {
    const std::string source = "x  =\r\n\"s\"+12;";
    const auto tokens = ScriptYup().Lex(source);
    ASSERT_EQ(tokens->count(), 6);
    const int32_t starts[] = {0, 3, 6, 9, 10, 12};
    const int32_t ends[] = {1, 4, 9, 10, 12, 13};
    for (int32_t i = 0; i < 6; ++i) {
        EXPECT_EQ((*tokens)[i].start(), starts[i]);
        EXPECT_EQ((*tokens)[i].end(), ends[i]);
    }
}

TEST(Scanner, DropCommentsKeepsTheRestInOrder) {
    const auto tokens = ScriptYup().Lex("a /*x*/ b // y\n c");
    EXPECT_EQ(DropComments(*tokens), 2);
    ASSERT_EQ(tokens->count(), 3);
    EXPECT_EQ(tokens->text((*tokens)[0]), "a");
    EXPECT_EQ(tokens->text((*tokens)[1]), "b");
    EXPECT_EQ(tokens->text((*tokens)[2]), "c");
}

TEST(Scanner, TokensAreCountedWhileAlive) {
    const int64_t before = TLexElem::LiveCount();
    {
        const auto tokens = ScriptYup().Lex("a b c /* d */");
        EXPECT_EQ(TLexElem::LiveCount(), before + 4);
        DropComments(*tokens);
        EXPECT_EQ(TLexElem::LiveCount(), before + 3);
    }
    EXPECT_EQ(TLexElem::LiveCount(), before);
}

}  // namespace
}  // namespace varno
