// The error of the regular-expression service: a pattern that does not compile or cannot run.
#pragma once

#include "base/Error.h"

namespace varno {

// Raised for a malformed pattern text, a pattern the engine rejects (with the engine's own
// message), an engine failure while matching, and for count/item asked at the wrong time.
class EBRegExpError : public EVarno {
public:
    explicit EBRegExpError(const std::string& message) : EVarno(message) {}
};

}  // namespace varno
