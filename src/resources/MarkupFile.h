// Resource files as text: read as CR LF lines, written line by line, scanned for their element.
#pragma once

#include "resources/SGML.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace varno {

// The bytes as lines, each followed by CR LF (the last one too); a line ends at CR LF, LF or
// CR. So line breaks inside attribute values come back as CR LF.
std::string ToCrLfLines(std::string_view bytes);

// Each line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

// Reads a file (a system path: backslashes, any letter case) as CR LF lines. When it cannot
// be read, shows the path followed by " is not found." and throws EFileOpenError.
std::string ReadTextFile(std::string_view systemPath);

// Writes lines, each followed by CR LF, replacing the file only once all is written. Throws
// EFileOpenError when the file cannot be written.
void WriteTextFile(std::string_view systemPath, const std::vector<std::string>& lines);

// The first top-level element of a resource text (read with the fast reader; whatever follows
// it is ignored). Throws EMarkupError naming source when the text holds no element.
std::unique_ptr<TSGML> ReadResourceElement(const std::string& text, std::string_view source);

// ReadTextFile, then ReadResourceElement.
std::unique_ptr<TSGML> ReadMarkupFile(std::string_view systemPath);

}  // namespace varno
