// SplitText: the pieces of the String class's split, made by the regular-expression service.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varno {

// Splits text at separator, taken as a pattern after its first non-word character has been
// made literal (so "." and "|" split literally; only the first such character is, as with
// the substitution "s/\W/\\$&/"; a double-byte character is made literal whole). An empty
// separator is ",". limit goes to the
// regular-expression split unchanged (0: trailing empty pieces are dropped). An empty text
// gives no piece. A separator that is no valid pattern even so raises EBRegExpError.
std::vector<std::string> SplitText(std::string_view text, std::string separator, int limit);

}  // namespace varno
