// The regular-expression service: Perl's results for the same texts, count/item, errors, guards.
#include <gtest/gtest.h>

#include "services/regex/BRegExp.h"
#include "services/regex/BRegExp2.h"
#include "services/regex/BRegExpError.h"
#include "services/regex/PatternCache.h"
#include "services/regex/RegexCommand.h"

#include <string>
#include <string_view>

namespace varno {
namespace {

enum class EOp { Match, Substitute, Split };

struct TPerlCase {
    EOp op;
    std::string_view pattern;
    std::string_view subject;
    int limit;               // split only
    std::string_view perl;  // what Perl 5.36 gives, written as below
};

// Expected values were taken from perl 5.36 running the same pattern text on the same bytes
// (no utf8: byte semantics). Match: "0", or "1:" and every group of the pattern, group 0
// first, joined by "|" ("<u>" for a group that took no part). Substitute: the count, ":"
// and the text afterwards. Split: the number of pieces, ":" and the pieces joined by "|".
// Strings are sized explicitly where they hold a NUL byte.
constexpr TPerlCase kPerlCases[] = {
    {EOp::Match, "/^([^=]+)=(.+)$/", "name=value", 0, "1:name=value|name|value"},
    {EOp::Match, "/^([^=]+)=(.+)$/", "=value", 0, "0"},
    {EOp::Match, "/^([^=]+)=(.+)$/", "a=b=c", 0, "1:a=b=c|a|b=c"},
    {EOp::Match, "/^-?[0-9]*\\.[0-9]+$/", "-12.5", 0, "1:-12.5"},
    {EOp::Match, "/^-?[0-9]*\\.[0-9]+$/", "12.", 0, "0"},
    {EOp::Match, "/^-?[0-9]+$/", "12a", 0, "0"},
    {EOp::Match, "/^-?[0-9]+$/", "-0042", 0, "1:-0042"},
    {EOp::Match, "/b+/i", "aBbBc", 0, "1:BbB"},
    {EOp::Match, "/(a)|(b)/", "xb", 0, "1:b|<u>|b"},
    {EOp::Match, "/(a)(x)?(c)/", "zac", 0, "1:ac|a|<u>|c"},
    {EOp::Match, "/(a)()(c)/", "ac", 0, "1:ac|a||c"},
    {EOp::Match, "/^\\$([\\_A-Za-z0-9]|([\\x80-\\x9f\\xa0-\\xff].))*$/", "$pat_\x83" "A\x95\\", 0, "1:$pat_\x83" "A\x95\\|\x95\\|\x95\\"},
    {EOp::Match, "/^\\$([\\_A-Za-z0-9]|([\\x80-\\x9f\\xa0-\\xff].))*$/", "$pat-x", 0, "0"},
    {EOp::Match, "/[\\x80-\\x9f\\xe0-\\xff]./", "ab\x82\xa0" "c", 0, "1:\x82\xa0"},
    {EOp::Match, "/\\w+/", "\x82\xa0\xe9" "abc_1", 0, "1:abc_1"},
    {EOp::Match, "/\\W/", "ab\x82", 0, "1:\x82"},
    {EOp::Match, "/[a-z]+/i", "\x83" "A\x83" "a", 0, "1:A"},
    {EOp::Match, "/^b/m", "a\nb", 0, "1:b"},
    {EOp::Match, "/^b/", "a\nb", 0, "0"},
    {EOp::Match, "/a.b/s", "a\nb", 0, "1:a\nb"},
    {EOp::Match, "/a.b/", "a\nb", 0, "0"},
    {EOp::Match, "/a b # comment\n c/x", "abc", 0, "1:abc"},
    {EOp::Match, "/\\bfoo\\b/", "a foo b", 0, "1:foo"},
    {EOp::Match, "/\\bfoo\\b/", "afoo b", 0, "0"},
    {EOp::Match, "/(\\d+)-(\\d+)/", "tel 03-1234", 0, "1:03-1234|03|1234"},
    {EOp::Match, "/x*/", "abc", 0, "1:"},
    {EOp::Match, "/<([\\w\\d]*)/", "<tag a=1>", 0, "1:<tag|tag"},
    {EOp::Match, "/([\\w\\d]*)=\"([^\"]*)\"/", "<a name=\"v\" b=\"\">", 0, "1:name=\"v\"|name|v"},
    {EOp::Match, "/<[^>]*>/", "text <b>\n<c/>", 0, "1:<b>"},
    {EOp::Match, "/\\/>$/", "<c/>", 0, "1:/>"},
    {EOp::Match, "/^<\\/[^>]*>/", "</any>", 0, "1:</any>"},
    {EOp::Match, "/a\\/b/", "xa/b", 0, "1:a/b"},
    {EOp::Match, "m#a/b#", "xa/by", 0, "1:a/b"},
    {EOp::Match, "m!a(b)!", "ab", 0, "1:ab|b"},
    {EOp::Match, "/ab$/", "ab\n", 0, "1:ab"},
    {EOp::Match, "/ab\\z/", "ab\n", 0, "0"},
    {EOp::Match, "/(?i)abc/", "xABC", 0, "1:ABC"},
    {EOp::Match, "/\\x95\\x5c/", "\x95\\\x8e\xa6", 0, "1:\x95\\"},
    {EOp::Match, "/a{2,3}/", "caaaa", 0, "1:aaa"},
    {EOp::Match, "/(a+?)(b*)/", "aab", 0, "1:a|a|"},
    {EOp::Match, "/(?<=x)y/", "xy", 0, "1:y"},
    {EOp::Match, "/\\Qa.b\\E/", "axb a.b", 0, "1:a.b"},
    {EOp::Match, "//", "abc", 0, "1:"},
    {EOp::Match, "/^$/", "", 0, "1:"},
    {EOp::Match, "/\\0/", std::string_view("a\x00" "b", 3), 0, std::string_view("1:\x00", 3)},
    {EOp::Substitute, "s/\\.[^.]*$//", "file.name.txt", 0, "1:file.name"},
    {EOp::Substitute, "s/\\.[^.]*$//", "noext", 0, "0:noext"},
    {EOp::Substitute, "s/://g", "c:a:b:", 0, "3:cab"},
    {EOp::Substitute, "s/\\W/\\\\$&/", "a.b.c", 0, "1:a\\.b.c"},
    {EOp::Substitute, "s/\\W/\\\\$&/g", "a.b c", 0, "2:a\\.b\\ c"},
    {EOp::Substitute, "s/\\W/\\\\$&/g", "\x95\\", 0, "2:\\\x95\\\\"},
    {EOp::Substitute, "s/\\_[0-9][0-9]*$//", "name_12", 0, "1:name"},
    {EOp::Substitute, "s/\\_[0-9][0-9]*$//", "name_12a", 0, "0:name_12a"},
    {EOp::Substitute, "s/[^\\\\]*$//", "C:\\dir\\file.txt", 0, "1:C:\\dir\\"},
    {EOp::Substitute, "s/\\.\\./@/g", "..\\..\\x", 0, "2:@\\@\\x"},
    {EOp::Substitute, "s/[^@a-zA-Z0-9_]//g", "@@\\a.b-c_1", 0, "3:@@abc_1"},
    {EOp::Substitute, "s/\\.[^\\.]*$//", "pic.bmp", 0, "1:pic"},
    {EOp::Substitute, "s/[^\\_a-zA-Z0-9]//g", "my pic-2", 0, "2:mypic2"},
    {EOp::Substitute, "s/(\\w+)@(\\w+)/$2 at $1/", "me@host", 0, "1:host at me"},
    {EOp::Substitute, "s/x*/-/g", "abc", 0, "4:-a-b-c-"},
    {EOp::Substitute, "s/a*/-/g", "baaac", 0, "4:-b--c-"},
    {EOp::Substitute, "s/a*/-/", "baaac", 0, "1:-baaac"},
    {EOp::Substitute, "s/b/[$&]/gi", "aBcb", 0, "2:a[B]c[b]"},
    {EOp::Substitute, "s/(a)|(b)/[$1$2]/g", "ab", 0, "2:[a][b]"},
    {EOp::Substitute, "s/^/> /mg", "l1\nl2", 0, "2:> l1\n> l2"},
    {EOp::Substitute, "s/$/;/", "abc", 0, "1:abc;"},
    {EOp::Substitute, "s/$/;/g", "abc\n", 0, "2:abc;\n;"},
    {EOp::Substitute, "s/o/0/", "foo", 0, "1:f0o"},
    {EOp::Substitute, "s/z/y/", "abc", 0, "0:abc"},
    {EOp::Substitute, "s/(.)(.)/$2$1/g", "abcde", 0, "2:badce"},
    {EOp::Substitute, "s/b/\\n\\t/", "abc", 0, "1:a\n\tc"},
    {EOp::Substitute, "s/(\\d+)/<${1}0>/", "x12", 0, "1:x<120>"},
    {EOp::Substitute, "s/b/($`|$')/", "abc", 0, "1:a(a|c)c"},
    {EOp::Substitute, "s#/#\\\\#g", "a/b/c", 0, "2:a\\b\\c"},
    {EOp::Substitute, "s/\\//-/g", "a/b", 0, "1:a-b"},
    {EOp::Substitute, "s/a/\\//g", "aa", 0, "2://"},
    {EOp::Substitute, "s/a/\\$1/", "a", 0, "1:$1"},
    {EOp::Substitute, "s/(a)/$2|$10|/", "a", 0, "1:||"},
    {EOp::Substitute, "s/(a)/\\1\\1/", "xa", 0, "1:xaa"},
    {EOp::Substitute, "s/[\\x80-\\x9f\\xe0-\\xff][\\x40-\\xfc]/**/g", "a\x82\xa0" "b\x95\\c", 0, "2:a**b**c"},
    {EOp::Substitute, "s/^/x/", "", 0, "1:x"},
    {EOp::Substitute, "s/\\b/|/g", "ab cd", 0, "4:|ab| |cd|"},
    {EOp::Substitute, "s/(?=b)/^/g", "abab", 0, "2:a^ba^b"},
    {EOp::Substitute, "s/A/b/ig", "aAa", 0, "3:bbb"},
    {EOp::Substitute, "s/\\x41/\\x42/", "A", 0, "1:B"},
    {EOp::Split, "/,/", "a,b,,c", 0, "4:a|b||c"},
    {EOp::Split, "/,/", "a,b,,c,,", 0, "4:a|b||c"},
    {EOp::Split, "/,/", "a,b,,c,,", -1, "6:a|b||c||"},
    {EOp::Split, "/,/", "a,b,c,d", 2, "2:a|b,c,d"},
    {EOp::Split, "/,/", "a,b,c,,", 4, "4:a|b|c|,"},
    {EOp::Split, "/,/", "a,b,c", 1, "1:a,b,c"},
    {EOp::Split, "/,/", "a,b,c", 5, "3:a|b|c"},
    {EOp::Split, "/,/", ",a", 0, "2:|a"},
    {EOp::Split, "/,/", "abc", 0, "1:abc"},
    {EOp::Split, "/,/", ",,,", 0, "0:"},
    {EOp::Split, "/,/", ",,,", -1, "4:|||"},
    {EOp::Split, "/,/", "", 0, "0:"},
    {EOp::Split, "/,/", "", -1, "0:"},
    {EOp::Split, "//", "abc", 0, "3:a|b|c"},
    {EOp::Split, "//", "abc", -1, "4:a|b|c|"},
    {EOp::Split, "//", "abc", 2, "2:a|bc"},
    {EOp::Split, "/x*/", "axxb", 0, "2:a|b"},
    {EOp::Split, "/x*/", "xab", 0, "3:|a|b"},
    {EOp::Split, "/b*/", "abbbc", 0, "2:a|c"},
    {EOp::Split, "/(,)/", "a,b", 0, "3:a|,|b"},
    {EOp::Split, "/(-)|(,)/", "a-b,c", 0, "7:a|-||b||,|c"},
    {EOp::Split, "/(,)/", "a,b,c", 2, "3:a|,|b,c"},
    {EOp::Split, "/\\./", "a.b.c", 0, "3:a|b|c"},
    {EOp::Split, "/\\s+/", " a b  c ", 0, "4:|a|b|c"},
    {EOp::Split, "/^/", "a\nb\n", 0, "2:a\n|b\n"},
    {EOp::Split, "/(?=b)/", "abab", 0, "3:a|ba|b"},
    {EOp::Split, "/b/i", "aBcbd", 0, "3:a|c|d"},
    {EOp::Split, "/[\\x80-\\x9f\\xe0-\\xff][\\x40-\\xfc]/", "a\x82\xa0" "b\x95\\c", 0, "3:a|b|c"},
    {EOp::Split, "/\\x81\\x41/", "\x82\xa0\x81" "A\x82\xa2", 0, "2:\x82\xa0|\x82\xa2"},
    {EOp::Split, "/, */", "a, b,c,  d", 0, "4:a|b|c|d"},
};

std::string runCase(const TPerlCase& c) {
    TBRegExp re;
    switch (c.op) {
    case EOp::Match: {
        if (!re.match(c.pattern, c.subject)) return "0";
        std::string text = "1:";
        for (int i = 0; i < re.spanCount(); ++i) {
            if (i > 0) text += '|';
            const TSpan span = re.span(i);
            text += span.matched() ? std::string(c.subject.substr(span.start, span.length())) : "<u>";
        }
        return text;
    }
    case EOp::Substitute: {
        std::string text(c.subject);
        const int n = re.substitute(c.pattern, text);
        return std::to_string(n) + ":" + text;
    }
    case EOp::Split: {
        const int n = re.split(c.pattern, c.subject, c.limit);
        EXPECT_EQ(re.count(), n);
        std::string text = std::to_string(n) + ":";
        for (int i = 0; i < n; ++i) text += (i > 0 ? "|" : "") + re.item(i);
        return text;
    }
    }
    return {};
}

TEST(BRegExp, GivesWhatPerlGives) {
    for (const TPerlCase& c : kPerlCases) {
        SCOPED_TRACE(std::string(c.pattern) + " on \"" + std::string(c.subject) + "\"");
        EXPECT_EQ(runCase(c), c.perl);
    }
}

// The error text of what f throws; "" when it throws nothing.
template <typename F>
std::string errorOf(F&& f) {
    try {
        f();
    } catch (const EBRegExpError& e) {
        return e.what();
    }
    return "";
}

TEST(BRegExp, CountAndItemFollowTheMode) {
    TBRegExp re;
    EXPECT_EQ(re.mode(), TBRegExp::EMode::None);
    EXPECT_EQ(errorOf([&] { re.count(); }), "no count now");
    EXPECT_EQ(errorOf([&] { re.item(0); }), "no strings now");

    // After a match, count stops at the first empty (or unset) group.
    ASSERT_TRUE(re.match("/(a)()(c)/", "xac"));
    EXPECT_EQ(re.mode(), TBRegExp::EMode::AfterMatch);
    EXPECT_EQ(re.count(), 2);
    EXPECT_EQ(re.item(0), "ac");
    EXPECT_EQ(re.item(1), "a");
    EXPECT_EQ(errorOf([&] { re.item(2); }), "index out of range");
    EXPECT_EQ(errorOf([&] { re.item(3); }), "index out of range");  // non-empty, but after an empty one
    EXPECT_EQ(errorOf([&] { re.item(-1); }), "index out of range");
    EXPECT_EQ(re.span(3).start, 2);  // spans still tell where every group lies
    EXPECT_EQ(re.span(2).length(), 0);
    EXPECT_TRUE(re.span(2).matched());

    ASSERT_TRUE(re.match("/x*/", "abc"));  // an empty match: not even group 0 counts
    EXPECT_EQ(re.count(), 0);

    EXPECT_FALSE(re.match("/(z)/", "abc"));
    EXPECT_EQ(re.mode(), TBRegExp::EMode::AfterMatch);
    EXPECT_EQ(re.count(), 0);
    EXPECT_EQ(re.spanCount(), 0);
    EXPECT_EQ(errorOf([&] { re.item(0); }), "index out of range");

    EXPECT_EQ(re.split("/,/", "a,,b", 0), 3);
    EXPECT_EQ(re.mode(), TBRegExp::EMode::AfterSplit);
    EXPECT_EQ(re.count(), 3);
    EXPECT_EQ(re.item(1), "");  // an empty piece is a piece
    EXPECT_EQ(errorOf([&] { re.item(3); }), "index out of range");
    EXPECT_FALSE(re.span(0).matched());

    std::string text = "abc";
    EXPECT_EQ(re.substitute("s/b/x/", text), 1);
    EXPECT_EQ(re.mode(), TBRegExp::EMode::None);
    EXPECT_EQ(errorOf([&] { re.count(); }), "no count now");
}

TEST(BRegExp, ResultsOutliveTheText) {
    TBRegExp re;
    {
        std::string text = "key=value";
        ASSERT_TRUE(re.match("/^([^=]+)=(.+)$/", text));
        text.assign(100, 'z');
    }
    EXPECT_EQ(re.item(2), "value");
    {
        std::string text = "p,q";
        re.split("/,/", text, 0);
    }
    EXPECT_EQ(re.item(1), "q");
}

TEST(BRegExp, BadPatternsRaiseWithTheEnginesMessage) {
    struct TBad {
        std::string_view pattern;
        std::string_view message;  // a part of the error text
    };
    const TBad cases[] = {
        {"/a(b/", "missing closing parenthesis"},
        {"/[a/", "missing terminating ] for character class"},
        {"/a{2,1}/", "numbers out of order in {} quantifier"},
        {"/*a/", "quantifier does not follow a repeatable item"},
        {"/(?<n>a)(?<n>b)/", "two named subpatterns have the same name"},
        {"/(*UTF)a/", "UTF is disabled"},  // matching stays byte-wise
        {"/abc", "missing closing delimiter /"},
        {"s/a/b", "missing closing delimiter /"},
        {"s/a/b/e", "unknown flag 'e'"},
        {"abc", "not a regular expression"},
        {"", "not a regular expression"},
        {"m{a}", "not a regular expression"},
        {"s/a/\\U$&/", "not supported"},
        {"s/a/\\x{100}/", "beyond 0xFF"},
    };
    for (const TBad& c : cases) {
        SCOPED_TRACE(std::string(c.pattern));
        TBRegExp re;
        const std::string message = errorOf([&] { re.match(c.pattern, "abc"); });
        std::string text = "abc";
        const std::string substituteMessage = errorOf([&] { re.substitute(c.pattern, text); });
        // A bad pattern fails the same way whatever the operation (a substitution text used
        // to match fails for that reason before anything else).
        if (c.pattern.starts_with("s")) {
            EXPECT_NE(substituteMessage.find(c.message), std::string::npos) << substituteMessage;
        } else {
            EXPECT_NE(message.find(c.message), std::string::npos) << message;
            EXPECT_EQ(message.find(std::string(c.pattern)), 0u) << "names the pattern: " << message;
        }
        EXPECT_EQ(text, "abc");
        EXPECT_EQ(re.mode(), TBRegExp::EMode::None);
    }
}

TEST(BRegExp, WrongFormForTheOperationRaises) {
    TBRegExp re;
    std::string text = "abc";
    EXPECT_NE(errorOf([&] { re.match("s/a/b/", "abc"); }), "");
    EXPECT_NE(errorOf([&] { re.split("s/a/b/", "abc", 0); }), "");
    EXPECT_NE(errorOf([&] { re.substitute("/a/", text); }), "");
    EXPECT_EQ(text, "abc");
    // The service's error is a host error like any other.
    EXPECT_THROW(re.match("/(/", "x"), EVarno);
}

TEST(BRegExp, RunawayBacktrackingIsAnErrorNotAHang) {
    TBRegExp re;
    const std::string text(64, 'a');
    const std::string message = errorOf([&] { re.match("/^(a+)+$/", text + "b"); });
    EXPECT_NE(message.find("limit"), std::string::npos) << message;
}

TEST(BRegExp, LiteralDoubleByteCharactersEndingInABackslash) {
    // 0x95 0x5C is one kanji; its second byte is the backslash code. In a pattern or a
    // replacement it stands for itself instead of escaping what follows.
    const std::string kanji = "\x95\x5c";
    TBRegExp re;
    ASSERT_TRUE(re.match("/" + kanji + "/", "ab" + kanji + "c"));
    EXPECT_EQ(re.item(0), kanji);
    ASSERT_TRUE(re.match("/^[" + kanji + "]+$/", kanji));  // a class of its two bytes
    EXPECT_FALSE(re.match("/^" + kanji + "n$/", kanji + "\n"));  // not "\n" after the lead byte

    std::string text = "a" + kanji + "b";
    EXPECT_EQ(re.substitute("s/" + kanji + "/-/", text), 1);
    EXPECT_EQ(text, "a-b");
    text = "ab";
    EXPECT_EQ(re.substitute("s/a/" + kanji + "/", text), 1);
    EXPECT_EQ(text, kanji + "b");
    EXPECT_EQ(re.split("/" + kanji + "/", "x" + kanji + "y", 0), 2);

    // Quoted data matches itself, double-byte characters included.
    const std::string data = "a.b*" + kanji + "(x)";
    ASSERT_TRUE(re.match("/^" + QuoteRegExp(data) + "$/", data));
    EXPECT_FALSE(re.match("/^" + QuoteRegExp(data) + "$/", "aXb*" + kanji + "(x)"));
    EXPECT_EQ(QuoteRegExp("a_1.b"), "a_1\\.b");
}

TEST(BRegExp2, EmptyTextIsAnsweredWithoutThePattern) {
    TBRegExp plain;
    TBRegExp2 guarded;
    EXPECT_TRUE(plain.match("/^$/", ""));
    EXPECT_FALSE(guarded.match("/^$/", ""));
    EXPECT_EQ(guarded.mode(), TBRegExp::EMode::AfterMatch);
    EXPECT_EQ(guarded.count(), 0);

    std::string empty;
    EXPECT_EQ(plain.substitute("s/^/x/", empty), 1);
    empty.clear();
    EXPECT_EQ(guarded.substitute("s/^/x/", empty), 0);
    EXPECT_EQ(empty, "");
    EXPECT_EQ(guarded.mode(), TBRegExp::EMode::None);

    EXPECT_EQ(guarded.split("/,/", "", -1), 0);
    EXPECT_EQ(guarded.mode(), TBRegExp::EMode::AfterSplit);
    EXPECT_EQ(guarded.count(), 0);

    // The pattern is not even looked at, so a bad one passes unnoticed on empty text...
    EXPECT_FALSE(guarded.match("/(/", ""));
    // ... and otherwise everything behaves as in TBRegExp.
    EXPECT_THROW(guarded.match("/(/", "x"), EBRegExpError);
    ASSERT_TRUE(guarded.match("/(b)/", "abc"));
    EXPECT_EQ(guarded.item(1), "b");
    EXPECT_EQ(guarded.split("/,/", "a,b", 0), 2);
}

TEST(BRegExp, SharedInstancesLiveForTheWholeRun) {
    EXPECT_EQ(&SharedRegExp(), &SharedRegExp());
    EXPECT_EQ(&SharedRegExp2(), &SharedRegExp2());
    EXPECT_NE(static_cast<TBRegExp*>(&SharedRegExp2()), &SharedRegExp());
    EXPECT_FALSE(SharedRegExp2().match("/x/", ""));
}

TEST(PatternCache, KeepsCompiledCommandsUpToItsBound) {
    TPatternCache cache(2);
    const auto a = cache.get("/a/");
    EXPECT_EQ(cache.get("/a/"), a);
    const auto b = cache.get("s/b/c/g");
    EXPECT_EQ(b->kind(), ERegexKind::Substitute);
    EXPECT_TRUE(b->global());
    EXPECT_EQ(cache.size(), 2u);
    EXPECT_EQ(cache.get("/a/"), a);  // /a/ is now the most recently used
    cache.get("/c/");                // drops s/b/c/g
    EXPECT_EQ(cache.size(), 2u);
    EXPECT_EQ(cache.get("/a/"), a);
    EXPECT_NE(cache.get("s/b/c/g"), b);  // compiled afresh
    std::vector<TSpan> spans;
    EXPECT_TRUE(b->match("abc", spans));  // a dropped command stays usable by its holder

    EXPECT_THROW(cache.get("/(/"), EBRegExpError);
    EXPECT_EQ(cache.size(), 2u);  // failures are not kept
    cache.clear();
    EXPECT_EQ(cache.size(), 0u);
}

TEST(BRegExp, LargeTextsAndManyPatterns) {
    TBRegExp re;
    std::string big;
    for (int i = 0; i < 100000; ++i) big += "field" + std::to_string(i % 10) + ",";
    EXPECT_EQ(re.split("/,/", big, 0), 100000);
    EXPECT_EQ(re.item(99999), "field9");
    std::string copy = big;
    EXPECT_EQ(re.substitute("s/field//g", copy), 100000);
    EXPECT_EQ(copy.size(), big.size() - 500000);
    // More distinct patterns than the cache holds: each still compiles and matches.
    for (int i = 0; i < 600; ++i) {
        ASSERT_TRUE(re.match("/^field" + std::to_string(i % 10) + "/", "field" + std::to_string(i % 10)));
    }
}

}  // namespace
}  // namespace varno
