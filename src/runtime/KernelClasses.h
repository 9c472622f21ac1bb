// The kernel classes the interpreter itself refers to: the root class and the array class.
#pragma once

#include <cstdint>

namespace varno {

class TRTTI;

// classes.lang.Object: its "_errorHook" serves calls on values that are not objects.
TRTTI* RootObjectClass();

// classes.lang.Array: for-in loops run over its instances and their descendants' ...
TRTTI* ArrayClass();
// ... whose element list is the member "_x"; -1 when the class has no such member.
std::int32_t ArrayListMember();

// Start-up names the two classes (null: look them up by their dotted names in the
// resource tree at each use).
void SetKernelClasses(TRTTI* rootObject, TRTTI* array);

}  // namespace varno
