// ECmpError: a compile error, its text prefixed with the name of the class being compiled.
#pragma once

#include <string>

#include "base/Error.h"

namespace varno {

class TContext;

// The text is the name of the class being compiled, a colon and the message, with
// nothing between them: "Player:classes.Foo is undefined.".
class ECmpError : public EVarno {
public:
    ECmpError(const std::string& message, const TContext& context);
};

}  // namespace varno
