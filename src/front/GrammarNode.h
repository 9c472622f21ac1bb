// One line of a grammar tree once read: what it matches and how it links to other lines.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "front/First.h"
#include "front/ResultList.h"

namespace varno {

// How a grammar node matches. A literal of the lexical tree is a terminal in the syntax tree.
enum class TNodeKind : uint8_t { Sequence = 0, Choice = 1, Literal = 2, Range = 3, Reference = 4 };

// The repetition count that stands for "unbounded".
constexpr int32_t kUnbounded = 123456;

struct TGrammarNode {
    TGrammarNode() = default;
    TGrammarNode(const TGrammarNode&) = delete;
    TGrammarNode& operator=(const TGrammarNode&) = delete;

    // Lexical tree: the bytes a match can begin with.
    std::unique_ptr<TFirst> first;
    // Syntax tree: the list whose class a sequence result takes (see TYup's OnCreateList).
    std::unique_ptr<TResultList> prototype;
    // The child lines, in line order; nodes never move once read, so links may point at them.
    std::unique_ptr<TGrammarNode[]> children;
    int32_t childCount = 0;
    std::string name;
    // The node whose behaviour this node uses when matching: itself unless a reference.
    TGrammarNode* link = nullptr;
    TNodeKind kind = TNodeKind::Sequence;
    uint8_t lo = 0;
    uint8_t hi = 0;
    int32_t min = 1;
    int32_t max = 1;
    // Syntax tree: row of the parser's memo for sequences reachable through a link; -1 if none.
    int32_t memoRow = -1;

    TGrammarNode& child(int32_t i) { return children[i]; }
    const TGrammarNode& child(int32_t i) const { return children[i]; }
};

}  // namespace varno
