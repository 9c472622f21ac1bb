// Memoised parsing gives the same trees and the same error positions as the faithful parser.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ScriptParse.h"
#include "support/TestSupport.h"

namespace varno {
namespace {

using test::TScriptParse;

// Sources and every variant with one token deleted, doubled, or swapped with the next.
std::vector<std::string> corpusWithMutations() {
    std::vector<std::string> sources = {
        test::ReadBytes(test::DataPath("front/sample.varno")),
        "x = a(b(c(d(1))));",
        "o.f(o.g(o.h(o.k())), 2).m = (a = b) + c;",
        "for (x.y in f(a, b)) if (a) if (b) x; else y;",
        "function f(a) { var t; for (t = 0; t < a; t += 1) { a.b.c(t)++; } return -t; }",
        "x = new a.B(c(d), new E(f(g)));",
    };
    std::vector<std::string> all;
    for (const std::string& source : sources) {
        all.push_back(source);
        const auto tokens = ScriptYup().Lex(source);
        const int32_t n = tokens->count();
        const auto piece = [&](int32_t i) { return std::string(tokens->text((*tokens)[i])); };
        for (int32_t k = 0; k < n; ++k) {
            std::string deleted, doubled, swapped;
            for (int32_t i = 0; i < n; ++i) {
                if (i != k) deleted += piece(i) + ' ';
                doubled += piece(i) + ' ';
                if (i == k) doubled += piece(i) + ' ';
                const int32_t j = i == k ? k + 1 : i == k + 1 ? k : i;
                if (j < n) swapped += piece(j) + ' ';
            }
            all.push_back(deleted);
            all.push_back(doubled);
            if (k + 1 < n) all.push_back(swapped);
        }
    }
    return all;
}

TEST(MemoParse, SameTreesAndErrorPositionsAsFaithful) {
    int accepted = 0;
    const std::vector<std::string> corpus = corpusWithMutations();
    for (const std::string& source : corpus) {
        const TScriptParse faithful(source, TParseMode::Faithful);
        const TScriptParse memo(source, TParseMode::Memo);
        ASSERT_EQ(memo.dump(), faithful.dump()) << source;
        ASSERT_EQ(memo.tokens().cursor(), faithful.tokens().cursor()) << source;
        accepted += faithful.ok();
    }
    // The mutations must exercise both outcomes.
    EXPECT_GT(accepted, 50);
    EXPECT_LT(accepted, static_cast<int>(corpus.size()) - 50);
}

void collect(const TResultList& node, std::set<const TResultList*>& seen, int& visited) {
    seen.insert(&node);
    ++visited;
    for (int32_t i = 0; i < node.count(); ++i) {
        if (const TResultList* child = node.list(i)) collect(*child, seen, visited);
    }
}

TEST(MemoParse, TreesHoldEachNodeOnceAndNothingLeaks) {
    ScriptYup().Lex("");
    const int64_t lists = TResultList::LiveCount();
    {
        // Re-parsed alternatives (assignment target, then value; for, then for-in) replay memos.
        const TScriptParse parsed("for (a.b(c(d)) in e(f(g))) x = h(i(j(k)));", TParseMode::Memo);
        ASSERT_TRUE(parsed.ok());
        std::set<const TResultList*> seen;
        int visited = 0;
        collect(*parsed.tree(), seen, visited);
        EXPECT_EQ(static_cast<int>(seen.size()), visited);
        EXPECT_EQ(TResultList::LiveCount(), lists + visited);
    }
    EXPECT_EQ(TResultList::LiveCount(), lists);
}

TEST(MemoParse, DeepCallNestingMatchesFaithful) {
    std::string call = "1";
    for (int i = 0; i < 10; ++i) call = "o.f" + std::to_string(i) + "(" + call + ")";
    const std::string source = "x = " + call + ";\ny = " + call + " +;";
    const TScriptParse faithful(source, TParseMode::Faithful);
    const TScriptParse memo(source, TParseMode::Memo);
    EXPECT_FALSE(memo.ok());
    EXPECT_EQ(memo.errorOffset(), faithful.errorOffset());
    const TScriptParse good("x = " + call + ";", TParseMode::Memo);
    const TScriptParse goodFaithful("x = " + call + ";", TParseMode::Faithful);
    EXPECT_EQ(good.dump(), goodFaithful.dump());
}

}  // namespace
}  // namespace varno
