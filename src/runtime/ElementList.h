// TElementList: the host list behind an array object, one separately allocated cell per element.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/HostObject.h"
#include "runtime/Value.h"

namespace varno {

// An array keeps its elements in its member "_x" as a native reference to one of these.
// Each element is an 8-byte cell of its own in the script heap, so a reference to an
// element stays valid while other elements come and go. The list holds one count on
// every object element.
class TElementList final : public THostObject {
public:
    TElementList();
    // Releases every element and frees the cells.
    ~TElementList() override;
    const char* hostClassName() const override { return "TElementList"; }

    std::int32_t count() const { return static_cast<std::int32_t>(m_cells.size()); }
    // Element i's cell (0 <= i < count(); not checked).
    TValue& at(std::int32_t i) const { return *m_cells[static_cast<std::size_t>(i)]; }
    // Appends a new cell holding a counted copy of v.
    void add(const TValue& v);
    // Inserts a new cell holding a counted copy of v before position i (0 <= i <= count();
    // not checked).
    void insert(std::int32_t i, const TValue& v);
    // Takes element i out of the list and frees its cell (0 <= i < count(); not checked).
    // The value keeps the list's count: the caller releases it.
    TValue take(std::int32_t i);
    // Releases every element and frees the cells; the list stays, empty.
    void clear();

private:
    std::vector<TValue*> m_cells;
};

// Process-wide counters for the statistics line: elements added minus removed, and
// element cells allocated minus freed.
struct TListCounters {
    std::int64_t elements = 0;
    std::int64_t cells = 0;
};
TListCounters& ListCounters();

}  // namespace varno
