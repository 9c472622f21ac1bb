// The interpreter's process-wide state and the scratch cell.
#include "runtime/ProcessGlobals.h"

#include <new>

#include "runtime/ScriptHeap.h"

namespace varno {

TProcessGlobals g_processGlobals;

TValue& ScratchValue() {
    static TValue* cell = ::new (HeapAlloc(sizeof(TValue))) TValue();
    return *cell;
}

}  // namespace varno
