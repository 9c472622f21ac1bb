// Element lists: cells in the script heap, counted copies of the values.
#include "runtime/ElementList.h"

#include "base/Error.h"
#include "runtime/Log.h"
#include "runtime/ScriptHeap.h"
#include "runtime/ValueOps.h"

namespace varno {

TListCounters& ListCounters() {
    static TListCounters counters;
    return counters;
}

TElementList::TElementList() = default;

TElementList::~TElementList() { clear(); }

void TElementList::add(const TValue& v) {
    auto* cell = HeapNew<TValue>(v);
    AddRef(*cell);
    m_cells.push_back(cell);
    ++ListCounters().elements;
    ++ListCounters().cells;
}

void TElementList::insert(std::int32_t i, const TValue& v) {
    auto* cell = HeapNew<TValue>(v);
    AddRef(*cell);
    m_cells.insert(m_cells.begin() + i, cell);
    ++ListCounters().elements;
    ++ListCounters().cells;
}

TValue TElementList::take(std::int32_t i) {
    TValue* cell = m_cells[static_cast<std::size_t>(i)];
    m_cells.erase(m_cells.begin() + i);
    const TValue v = *cell;
    HeapDelete(cell);
    --ListCounters().elements;
    --ListCounters().cells;
    return v;
}

void TElementList::clear() {
    std::vector<TValue*> cells;
    cells.swap(m_cells);
    for (TValue* cell : cells) {
        // A count gone wrong elsewhere must not keep the other cells from being freed.
        try {
            Release(*cell);
        } catch (const EVarno& e) {
            Log(e.what());
        }
        HeapDelete(cell);
        --ListCounters().elements;
        --ListCounters().cells;
    }
}

}  // namespace varno
