// The compiled class file: a compiled class cached on disk, written after a compile and read before one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace varno {

class TRTTI;

constexpr std::int32_t kClassFileVersion = 12300;

// The file's bytes: version, source age, superclass's full dotted name (or empty), the
// members the superclass does not have, the methods this class owns (kind name, name,
// and for byte-code kinds the argument list, the local list and the code block), and the
// class's own code block.
std::string WriteClassFile(const TRTTI& cls, std::int32_t sourceAge);

// Reads a class file into an uncompiled (just reset) class. Returns false, having changed
// nothing but the superclass link, when the version or the source age differ, when the
// superclass is not compiled yet, or when no re-linker is installed; true when the class
// is now compiled. Raises EVarno "SuperClass" + name + "はありません。" for a superclass
// that does not exist, and "Class File" + class name + " is broken" for bytes that are
// truncated, garbled, oversized or hold code that could not have been compiled; after
// any error the class is reset, so compiling it from source starts clean. Re-linking
// errors pass through.
bool ReadClassFile(TRTTI& cls, std::string_view bytes, std::int32_t sourceAge);

// A stable stamp of a file's modification time (0 when the file is missing).
std::int32_t SourceStamp(const std::filesystem::path& file);

}  // namespace varno
