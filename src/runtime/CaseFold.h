// Letter-case-insensitive comparison of system text (Shift-JIS bytes).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varno {

// ASCII letters fold to lower case; both bytes of a two-byte character stay as they are
// (a trail byte may look like a Latin letter and must not be folded).
std::string FoldCase(std::string_view text);

// FoldCase into a caller buffer of at least text.size() bytes; fast on plain ASCII.
void FoldCaseInto(std::string_view text, char* out) noexcept;

// True when the texts are equal without regard to letter case.
bool SameText(std::string_view a, std::string_view b) noexcept;

// Orders texts by their folded bytes: negative, 0 or positive.
int CompareText(std::string_view a, std::string_view b) noexcept;

// A hash of the folded text, consistent with SameText.
std::size_t HashText(std::string_view text) noexcept;

}  // namespace varno
