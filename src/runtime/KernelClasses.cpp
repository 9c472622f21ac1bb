// The kernel classes the interpreter refers to: set by start-up, else found by name.
#include "runtime/KernelClasses.h"

#include "runtime/RTTI.h"
#include "runtime/Resource.h"
#include "runtime/Symbols.h"

namespace varno {
namespace {

TRTTI* g_rootObject = nullptr;
TRTTI* g_array = nullptr;

// Found at each use through a one-word cache: start-up names the class before the kernel
// is compiled, and a recompiled class may order its members differently.
std::int32_t ListMemberOf(const TRTTI* cls) {
    static const std::int32_t symbol = Intern("_x");
    static std::int32_t cache = -1;
    return cls != nullptr ? cls->FindMember(symbol, cache) : -1;
}

}  // namespace

TRTTI* RootObjectClass() { return g_rootObject != nullptr ? g_rootObject : FindClass("classes.lang.Object"); }

TRTTI* ArrayClass() { return g_array != nullptr ? g_array : FindClass("classes.lang.Array"); }

std::int32_t ArrayListMember() { return ListMemberOf(ArrayClass()); }

void SetKernelClasses(TRTTI* rootObject, TRTTI* array) {
    g_rootObject = rootObject;
    g_array = array;
}

}  // namespace varno
