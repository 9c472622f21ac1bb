// The process-wide symbol table: names of members, methods and variables as small numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varno {

// Interned first, in this order, when the table is created.
constexpr std::int32_t kSymBody = 0;       // "_body"
constexpr std::int32_t kSymGcMark = 1;     // "gc_mark"
constexpr std::int32_t kSymGenerator = 2;  // "_generator"
constexpr std::int32_t kSymErrorHook = 3;  // "_errorHook"

// The number of name, adding it when absent. Letter case is ignored; the number of a new
// name is the table's size at that moment, and the first spelling seen is kept.
std::int32_t Intern(std::string_view name);

// The number of name, or -1 when it was never interned (adds nothing).
std::int32_t FindSymbol(std::string_view name) noexcept;

// The stored spelling of a symbol; the empty text for a number not in the table.
const std::string& SymbolName(std::int32_t symbol) noexcept;

// How many names the table holds.
std::int32_t SymbolCount() noexcept;

}  // namespace varno
