// TYup: a scanner and a backtracking parser built at run time from two grammars written as
// indented text trees (a lexical tree and a syntax tree).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "front/GrammarNode.h"
#include "front/LexList.h"
#include "front/ResultList.h"

namespace varno {

// What OnCreateList is asked: the caller fills in the name, the handler the list.
struct TResListGetter {
    std::string name;
    std::unique_ptr<TResultList> list;
};
using PResListGetter = TResListGetter*;

// The OnCreateList event: given a syntax node's name, store a new list of the class for it.
using TCrLst = std::function<void(TResListGetter& p)>;

// How Parse works. Both give the same trees and the same error position; Memo remembers each
// attempt of a named sequence at a token position, Faithful re-parses every alternative.
enum class TParseMode { Memo, Faithful };

// Token lists and parse trees point into the grammar of the TYup that made them: destroy them
// before it.
class TYup {
public:
    TYup();
    ~TYup();
    TYup(const TYup&) = delete;
    TYup& operator=(const TYup&) = delete;

    // The lexical tree's lines. Setting copies them; the grammar is read at the first Lex only.
    std::vector<std::string>& LexNode() { return m_lexLines; }
    void SetLexNode(const std::vector<std::string>& lines) { m_lexLines = lines; }
    // The syntax tree's lines.
    std::vector<std::string>& GramNode() { return m_gramLines; }
    void SetGramNode(const std::vector<std::string>& lines) { m_gramLines = lines; }

    // Called for every node of the syntax tree while it is read; required for building.
    const TCrLst& OnCreateList() const { return m_onCreateList; }
    void SetOnCreateList(TCrLst handler) { m_onCreateList = std::move(handler); }

    bool Built() const { return m_built; }

    // Cuts text into tokens: at each position the longest match of a token kind wins, the earlier
    // kind at equal length; a byte where no token starts is skipped. The scan ends at the first zero
    // byte. Builds the grammar on the first call (throws EGrammar when it cannot be built).
    std::unique_ptr<TLexList> Lex(std::string_view text);

    // Parses a whole token list from its first token; nothing when the tokens do not form a
    // sentence (the list's errorOffset() then tells where). Every call counts as a parse in flight
    // until the caller, having destroyed the result, calls EndParse().
    std::unique_ptr<TResultList> Parse(TLexList& tokens, TParseMode mode = TParseMode::Memo);

    // The read trees (nullptr until built); their top-level nodes are the roots' children.
    const TGrammarNode* lexRoot() const { return m_lexRoot.get(); }
    const TGrammarNode* gramRoot() const { return m_gramRoot.get(); }
    // The first top-level lexical node of that name (a token kind such as "COMM"); builds first.
    const TGrammarNode* tokenKind(std::string_view name);

    // Parses not yet finished by EndParse(); a leak indicator.
    static int64_t ParsesInFlight();
    static void EndParse();

private:
    void build();

    std::vector<std::string> m_lexLines;
    std::vector<std::string> m_gramLines;
    TCrLst m_onCreateList;
    bool m_built = false;
    std::unique_ptr<TGrammarNode> m_lexRoot;
    std::unique_ptr<TGrammarNode> m_gramRoot;
    // For each byte, the token kinds (top-level lexical nodes before "*Stop") whose first set
    // holds it, in line order: the scanner tries only those.
    std::array<std::vector<const TGrammarNode*>, 256> m_candidates;
    int32_t m_memoRows = 0;    // syntax sequences the parser memoises
};

}  // namespace varno
