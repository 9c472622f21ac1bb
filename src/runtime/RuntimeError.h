// ERuntimeError: a run-time error raised by a value operation, an instruction or a native.
#pragma once

#include <string>

#include "base/Error.h"

namespace varno {

// Ends the current process's run (the interpreter catches every EVarno there); the text
// is what the user sees.
class ERuntimeError : public EVarno {
public:
    explicit ERuntimeError(const std::string& message) : EVarno(message) {}
};

}  // namespace varno
