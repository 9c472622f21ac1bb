// The backtracking parser that TYup::Parse runs over a token list, with optional memoisation.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "front/GrammarNode.h"
#include "front/LexList.h"
#include "front/ResultList.h"
#include "front/Yup.h"

namespace varno {

// Sequences nest about ten deep per level of parentheses or call arguments; past this depth a
// source is rejected instead of exhausting the stack.
constexpr int kMaxParseDepth = 3000;

// One parse of one token list. In memo mode every attempt of a top-level sequence at a token
// position is remembered (end position and the most recently matched token start it left
// behind), so an alternative that re-parses the same tokens replays the outcome instead. A
// replayed success hands over a tree that an abandoned attempt built and gave up, so every
// tree still consists of objects no one else holds; when none is at hand the match runs again.
class TParser {
public:
    TParser(TLexList& tokens, TParseMode mode, int32_t memoRows);
    ~TParser();
    TParser(const TParser&) = delete;
    TParser& operator=(const TParser&) = delete;

    // Matches start by its kind from the first token; the result, or nothing when the match
    // fails, leaves tokens over, or nests deeper than kMaxParseDepth. Updates the token list's
    // cursor and most recently matched start.
    std::unique_ptr<TResultList> parse(const TGrammarNode& start);

private:
    struct TMatch {
        const TLexElem* token = nullptr;
        std::unique_ptr<TResultList> list;
    };
    struct TSlot {
        uint64_t key = 0;  // 0: free
        int32_t end = 0;   // cursor after a success; -1 after a failure
        int32_t last = 0;  // most recently matched start after the attempt; -1 if it matched nothing
        std::unique_ptr<TResultList> spare;
    };
    struct TTooDeep {};

    bool matchChild(const TGrammarNode& child, TMatch& out);
    bool matchTerminal(const TGrammarNode& node, TMatch& out);
    bool matchChoice(const TGrammarNode& node, TMatch& out);
    bool matchSequence(const TGrammarNode& node, TMatch& out);
    bool runSequence(const TGrammarNode& node, TMatch& out);

    // Removes the items from index `from` on; lists go to discard().
    void discardItems(TResultList& list, int32_t from);
    // Destroys a list given up by backtracking, keeping it (or memoised lists inside it) as
    // the spare of its memo slot when that slot has none.
    void discard(std::unique_ptr<TResultList> list);
    void replay(int32_t last);

    TSlot* findSlot(uint64_t key);
    TSlot& slotFor(uint64_t key);
    void grow();

    TLexList& m_tokens;
    const int32_t m_count;
    const bool m_memo;
    const uint64_t m_memoRows;
    int32_t m_cursor = 0;
    int32_t m_last = -1;
    uint64_t m_serial = 0;  // counts terminal matches and replays of matches
    int m_depth = 0;

    std::vector<TSlot> m_slots;  // open addressing, power-of-two size
    size_t m_used = 0;
};

}  // namespace varno
