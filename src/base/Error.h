// The root of every exception the host throws for its own faults.
#pragma once

#include <stdexcept>
#include <string>

namespace varno {

// Host errors are exceptions rooted here; the text is the user-visible message (Shift-JIS bytes).
class EVarno : public std::runtime_error {
public:
    explicit EVarno(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace varno
