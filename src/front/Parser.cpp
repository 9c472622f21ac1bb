// The parser: ordered choices, greedy repetitions, unlimited backtracking; each sequence result
// is a fresh list of the class its grammar node's prototype has.
#include "front/Parser.h"

#include <algorithm>
#include <bit>

namespace varno {

TParser::TParser(TLexList& tokens, TParseMode mode, int32_t memoRows)
    : m_tokens(tokens),
      m_count(tokens.count()),
      m_memo(mode == TParseMode::Memo && memoRows > 0),
      m_memoRows(static_cast<uint64_t>(memoRows)) {
    // About two memo entries per token are typical; sizing for them up front saves rehashing.
    // The table grows at three quarters full.
    if (m_memo) {
        const size_t wanted = std::clamp<size_t>(static_cast<size_t>(m_count) * 2, 1024, size_t{1} << 22);
        m_slots.resize(std::bit_ceil(wanted));
    }
}

TParser::~TParser() = default;

std::unique_ptr<TResultList> TParser::parse(const TGrammarNode& start) {
    m_cursor = 0;
    m_last = -1;
    TMatch match;
    bool matched = false;
    try {
        switch (start.kind) {
            case TNodeKind::Sequence: matched = matchSequence(*start.link, match); break;
            case TNodeKind::Choice: matched = matchChoice(*start.link, match); break;
            case TNodeKind::Literal: matched = matchTerminal(start, match); break;
            default: break;
        }
    } catch (const TTooDeep&) {
        matched = false;
    }
    m_tokens.setCursor(m_cursor);
    m_tokens.setLastMatched(m_last);
    if (!matched || m_cursor != m_count) return nullptr;
    if (match.token) {
        // A start node that yields a single token: hand it over in a list of the node's class.
        auto list = start.prototype->makeEmpty();
        list->addToken(match.token);
        return list;
    }
    match.list->m_memoKey = 0;
    return std::move(match.list);
}

bool TParser::matchChild(const TGrammarNode& child, TMatch& out) {
    if (child.kind == TNodeKind::Literal) return matchTerminal(child, out);
    const TGrammarNode& link = *child.link;
    if (link.kind == TNodeKind::Sequence) return matchSequence(link, out);
    if (link.kind == TNodeKind::Choice) return matchChoice(link, out);
    return false;
}

bool TParser::matchTerminal(const TGrammarNode& node, TMatch& out) {
    if (m_cursor >= m_count) return false;
    const TLexElem& token = m_tokens[m_cursor];
    if (token.kind() != node.link) return false;
    m_last = token.start();
    ++m_serial;
    ++m_cursor;
    out.token = &token;
    return true;
}

bool TParser::matchChoice(const TGrammarNode& node, TMatch& out) {
    if (++m_depth > kMaxParseDepth) throw TTooDeep{};
    const int32_t entry = m_cursor;
    for (int32_t i = 0; i < node.childCount; ++i) {
        if (matchChild(node.child(i), out)) {
            --m_depth;
            return true;
        }
        m_cursor = entry;
    }
    --m_depth;
    return false;
}

bool TParser::matchSequence(const TGrammarNode& node, TMatch& out) {
    if (!m_memo || node.memoRow < 0) return runSequence(node, out);
    const uint64_t key = static_cast<uint64_t>(m_cursor) * m_memoRows + static_cast<uint64_t>(node.memoRow) + 1;
    if (TSlot* slot = findSlot(key)) {
        if (slot->end < 0) {
            replay(slot->last);
            return false;
        }
        if (slot->spare) {
            replay(slot->last);
            out.list = std::move(slot->spare);
            m_cursor = slot->end;
            return true;
        }
        // A success whose tree is still in use: build a fresh one by matching again.
    }
    const uint64_t serial = m_serial;
    const bool matched = runSequence(node, out);
    const bool consumed = m_serial != serial;
    // A failure that matched no token costs no more to repeat than to look up.
    if (matched || consumed) {
        TSlot& slot = slotFor(key);
        slot.end = matched ? m_cursor : -1;
        slot.last = consumed ? m_last : -1;
    }
    if (matched) out.list->m_memoKey = key;
    return matched;
}

bool TParser::runSequence(const TGrammarNode& node, TMatch& out) {
    if (++m_depth > kMaxParseDepth) throw TTooDeep{};
    const int32_t entry = m_cursor;
    // The result is made when the first child matches: most attempts fail on their first token.
    std::unique_ptr<TResultList> result;
    int32_t repetitions = 0;
    if (node.childCount > 0) {
        while (repetitions < node.max) {
            const int32_t itemsBefore = result ? result->count() : 0;
            const int32_t start = m_cursor;
            bool complete = true;
            for (int32_t i = 0; i < node.childCount; ++i) {
                TMatch item;
                if (!matchChild(node.child(i), item)) {
                    complete = false;
                    break;
                }
                if (!result) result = node.prototype->makeEmpty();
                if (item.token) {
                    result->addToken(item.token);
                } else {
                    result->addList(std::move(item.list));
                }
            }
            if (!complete) {
                m_cursor = start;
                if (result) discardItems(*result, itemsBefore);
                break;
            }
            if (m_cursor == start) {
                // A repetition that consumed nothing would repeat unchanged up to the bound: it
                // counts once if the minimum needs it, and ends the loop.
                if (repetitions < node.min) {
                    ++repetitions;
                } else if (result) {
                    discardItems(*result, itemsBefore);
                }
                break;
            }
            ++repetitions;
        }
    }
    --m_depth;
    if (repetitions >= node.min) {
        out.list = result ? std::move(result) : node.prototype->makeEmpty();
        return true;
    }
    m_cursor = entry;
    if (result) discardItems(*result, 0);
    return false;
}

void TParser::discardItems(TResultList& list, int32_t from) {
    for (int32_t i = from; i < list.m_size; ++i) {
        if ((list.m_data[i] & TResultList::kTokenTag) == 0) {
            discard(std::unique_ptr<TResultList>(reinterpret_cast<TResultList*>(list.m_data[i])));
        }
    }
    list.shrinkTo(from);
}

void TParser::discard(std::unique_ptr<TResultList> list) {
    if (!m_memo) return;
    if (list->m_memoKey != 0) {
        TSlot* slot = findSlot(list->m_memoKey);
        if (slot && slot->end >= 0 && !slot->spare) {
            slot->spare = std::move(list);
            return;
        }
    }
    discardItems(*list, 0);
}

void TParser::replay(int32_t last) {
    if (last < 0) return;
    m_last = last;
    ++m_serial;
}

namespace {
// Keys grow with the token position, and the parser works on nearby positions: keeping
// neighbouring keys in neighbouring slots keeps the memo's working set in the cache.
size_t slotHash(uint64_t key, size_t mask) { return static_cast<size_t>(key) & mask; }
}  // namespace

TParser::TSlot* TParser::findSlot(uint64_t key) {
    const size_t mask = m_slots.size() - 1;
    for (size_t i = slotHash(key, mask);; i = (i + 1) & mask) {
        TSlot& slot = m_slots[i];
        if (slot.key == key) return &slot;
        if (slot.key == 0) return nullptr;
    }
}

TParser::TSlot& TParser::slotFor(uint64_t key) {
    if ((m_used + 1) * 4 > m_slots.size() * 3) grow();
    const size_t mask = m_slots.size() - 1;
    for (size_t i = slotHash(key, mask);; i = (i + 1) & mask) {
        TSlot& slot = m_slots[i];
        if (slot.key == key) return slot;
        if (slot.key == 0) {
            slot.key = key;
            ++m_used;
            return slot;
        }
    }
}

void TParser::grow() {
    std::vector<TSlot> old(m_slots.size() * 2);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (TSlot& slot : old) {
        if (slot.key == 0) continue;
        size_t i = slotHash(slot.key, mask);
        while (m_slots[i].key != 0) i = (i + 1) & mask;
        m_slots[i] = std::move(slot);
    }
}

}  // namespace varno
