// The error of a file that cannot be opened for reading or created for writing.
#pragma once

#include "base/Error.h"

namespace varno {

class EFileOpenError : public EVarno {
public:
    explicit EFileOpenError(const std::string& message) : EVarno(message) {}
};

}  // namespace varno
