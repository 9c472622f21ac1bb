// The one place where system paths (Windows-style, Shift-JIS, any letter case) become host paths.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varno {

// Turns a system path into a host path: backslashes become slashes, the text becomes
// UTF-8, and each component that does not exist as written is looked up in its directory
// without regard to (ASCII) letter case. Components that exist in no case are kept as
// written, so the result also names files still to be created. A relative path is taken
// relative to `base` (empty: the current directory).
std::filesystem::path HostPath(std::string_view systemPath, const std::filesystem::path& base = {});

// Reads a whole file as bytes; nothing when it is missing or unreadable.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);

// Writes bytes to a file through a temporary sibling and a rename, so that a failed write
// never leaves a half-written file in place of a good one. Returns false on failure.
bool WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

}  // namespace varno
