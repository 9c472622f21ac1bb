// A parse result: an ordered list of tokens and nested result lists, the base of every tree node.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "front/Forward.h"

namespace varno {

// A result list owns the result lists in it, never the tokens (the token list owns those).
class TResultList {
public:
    TResultList();
    virtual ~TResultList();
    TResultList(const TResultList&) = delete;
    TResultList& operator=(const TResultList&) = delete;

    // A new, empty list of the same class: how the parser instantiates a node's prototype.
    virtual std::unique_ptr<TResultList> makeEmpty() const;
    // The class name ("TResultList", "G_While"), for dumps and messages.
    virtual std::string_view typeName() const;

    int32_t count() const { return m_size; }
    bool isToken(int32_t i) const { return inRange(i) && (m_data[i] & kTokenTag) != 0; }
    // Item i as a token; nullptr when it is a list or there is no item i.
    const TLexElem* token(int32_t i) const {
        return isToken(i) ? reinterpret_cast<const TLexElem*>(m_data[i] & ~kTokenTag) : nullptr;
    }
    // Item i as a list; nullptr when it is a token or there is no item i.
    TResultList* list(int32_t i) const {
        return inRange(i) && (m_data[i] & kTokenTag) == 0 ? reinterpret_cast<TResultList*>(m_data[i]) : nullptr;
    }

    void addToken(const TLexElem* token);
    void addList(std::unique_ptr<TResultList> list);
    // Destroys item i if it is a list, and removes it.
    void deleteItem(int32_t i);
    // Removes item i, a list, and hands it to the caller.
    std::unique_ptr<TResultList> takeList(int32_t i);

    // Result lists alive in the process, prototypes included; a leak indicator.
    static int64_t LiveCount();

private:
    friend class TParser;

    // An item is a pointer to a token (tagged in its lowest bit) or to a list; most nodes hold
    // one to three items, so those live inside the object.
    static constexpr uintptr_t kTokenTag = 1;
    static constexpr int32_t kInline = 3;

    bool inRange(int32_t i) const { return i >= 0 && i < m_size; }
    void push(uintptr_t item);
    // Removes the items from index n on without destroying them.
    void shrinkTo(int32_t n) { m_size = n; }

    uintptr_t* m_data = m_inline;
    int32_t m_size = 0;
    int32_t m_capacity = kInline;
    uintptr_t m_inline[kInline];
    // The parser's memo key for the sequence match that produced this list; 0 when none.
    uint64_t m_memoKey = 0;
};

}  // namespace varno
