// The native table of start-up: which routines are bound to which kernel classes, in order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/Native.h"

namespace varno {

// One native of a class: its name and the host routine, or none while the subsystem that
// implements it is not part of the build (the method keeps its placeholder, which raises
// "native Method is not implemented." when called).
struct TNativeBinding {
    std::string name;
    TNativeRoutine routine = nullptr;
};

// What boot does when a row's class is not in the kernel.
enum class TMissingClass : std::uint8_t {
    Required,  // boot stops with an error naming the class
    Skipped,   // the row is left out
    Question,  // boot stops with the error "?" (the sound classes)
};

struct TNativeClassRow {
    std::string className;  // a dotted name, or a short name found through its alias
    TMissingClass missing = TMissingClass::Required;
    std::vector<TNativeBinding> natives;
};

// One row of the table: its order number and its classes.
struct TNativeGroup {
    int order = 0;
    std::vector<TNativeClassRow> classes;
};

// The table, rows 1 to 24 in binding order, with every routine this build has.
std::vector<TNativeGroup>& NativeTable();

// Supplies the routine of a native (a subsystem installing its natives before boot):
// replaces the routine of that class's entry of that name, or adds the entry to the
// class's row. Names compare without regard to case. False when no row has that class.
bool ProvideNative(std::string_view className, std::string_view name, TNativeRoutine routine);

// Supplies the routines of every subsystem built so far (the language core's tables,
// resources and System are in the table already). Calling it again changes nothing.
void ProvideBuiltNatives();

// Binds every row in order: each class is found by its name (a short one through its
// alias); each native with a routine is bound (a class that does not declare it shows
// the binding message and boot goes on). A missing class follows its row's rule.
// Returns the number of natives bound.
int BindNativeTable();

}  // namespace varno
