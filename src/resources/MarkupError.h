// The error of the resource markup: a text that holds no element, or a tag text that holds no tag.
#pragma once

#include "base/Error.h"

namespace varno {

class EMarkupError : public EVarno {
public:
    explicit EMarkupError(const std::string& message) : EVarno(message) {}
};

}  // namespace varno
