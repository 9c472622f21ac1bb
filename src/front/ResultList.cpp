// Result lists and the count of live ones.
#include "front/ResultList.h"

#include <algorithm>

#include "front/LexElem.h"

namespace varno {

// Items tag token pointers in their lowest bit.
static_assert(alignof(TLexElem) >= 2 && alignof(TResultList) >= 2);

namespace {

int64_t g_liveLists = 0;

}  // namespace

TResultList::TResultList() { ++g_liveLists; }

TResultList::~TResultList() {
    for (int32_t i = 0; i < m_size; ++i) {
        if ((m_data[i] & kTokenTag) == 0) delete reinterpret_cast<TResultList*>(m_data[i]);
    }
    if (m_data != m_inline) delete[] m_data;
    --g_liveLists;
}

std::unique_ptr<TResultList> TResultList::makeEmpty() const { return std::make_unique<TResultList>(); }

std::string_view TResultList::typeName() const { return "TResultList"; }

void TResultList::push(uintptr_t item) {
    if (m_size == m_capacity) {
        auto* grown = new uintptr_t[static_cast<size_t>(m_capacity) * 2];
        std::copy(m_data, m_data + m_size, grown);
        if (m_data != m_inline) delete[] m_data;
        m_data = grown;
        m_capacity *= 2;
    }
    m_data[m_size++] = item;
}

void TResultList::addToken(const TLexElem* token) { push(reinterpret_cast<uintptr_t>(token) | kTokenTag); }

void TResultList::addList(std::unique_ptr<TResultList> list) {
    push(reinterpret_cast<uintptr_t>(list.get()));
    list.release();
}

void TResultList::deleteItem(int32_t i) {
    delete list(i);
    if (!inRange(i)) return;
    std::copy(m_data + i + 1, m_data + m_size, m_data + i);
    --m_size;
}

std::unique_ptr<TResultList> TResultList::takeList(int32_t i) {
    std::unique_ptr<TResultList> taken(list(i));
    if (!taken) return nullptr;
    std::copy(m_data + i + 1, m_data + m_size, m_data + i);
    --m_size;
    return taken;
}

int64_t TResultList::LiveCount() { return g_liveLists; }

}  // namespace varno
