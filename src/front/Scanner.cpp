// The lexical matcher: a walk of the node tree with greedy repetitions and ordered choices.
#include "front/Scanner.h"

namespace varno {
namespace {

// Lexical grammars nest a few levels; a deeper walk can only come from a reference cycle,
// which would otherwise recurse without end. Such a match fails.
constexpr int kMaxLexicalDepth = 256;

bool match(const TGrammarNode& node, const uint8_t* text, int32_t& pos, int depth) {
    if (depth > kMaxLexicalDepth) return false;
    switch (node.kind) {
        case TNodeKind::Literal: {
            const std::string& literal = node.name;
            for (size_t i = 0; i < literal.size(); ++i) {
                const uint8_t c = text[pos + i];
                if (c == 0 || c != static_cast<uint8_t>(literal[i])) return false;
            }
            pos += static_cast<int32_t>(literal.size());
            return true;
        }
        case TNodeKind::Range: {
            // The zero byte ends the text: no range may step over it.
            const uint8_t c = text[pos];
            if (c == 0 || c < node.lo || c > node.hi) return false;
            ++pos;
            return true;
        }
        case TNodeKind::Choice:
            for (int32_t i = 0; i < node.childCount; ++i) {
                int32_t p = pos;
                if (match(*node.children[i].link, text, p, depth + 1)) {
                    pos = p;
                    return true;
                }
            }
            return false;
        case TNodeKind::Sequence: {
            if (node.childCount == 0) return node.min <= 0;
            const int32_t entry = pos;
            int32_t repetitions = 0;
            while (repetitions < node.max) {
                const int32_t start = pos;
                bool complete = true;
                for (int32_t i = 0; i < node.childCount && complete; ++i) {
                    complete = match(*node.children[i].link, text, pos, depth + 1);
                }
                if (!complete) {
                    pos = start;
                    break;
                }
                if (pos == start) {
                    // A repetition that consumed nothing would repeat unchanged up to the bound:
                    // it counts once if the minimum needs it, and ends the loop.
                    if (repetitions < node.min) ++repetitions;
                    break;
                }
                ++repetitions;
            }
            if (repetitions >= node.min) return true;
            pos = entry;
            return false;
        }
        case TNodeKind::Reference:
            return node.link != &node && match(*node.link, text, pos, depth + 1);
    }
    return false;
}

}  // namespace

bool MatchLexical(const TGrammarNode& node, const uint8_t* text, int32_t& pos) { return match(node, text, pos, 0); }

}  // namespace varno
