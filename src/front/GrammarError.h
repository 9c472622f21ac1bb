// The exception raised when a grammar tree cannot be built.
#pragma once

#include "base/Error.h"

namespace varno {

// A grammar that stops the build: no OnCreateList handler, no terminator line, a handler that
// answers nothing. The text is the user-visible message.
class EGrammar : public EVarno {
public:
    using EVarno::EVarno;
};

}  // namespace varno
