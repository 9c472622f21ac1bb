// Reading and writing resource files as CR LF lines, and finding a text's top element.
#include "resources/MarkupFile.h"

#include "base/MessageBox.h"
#include "base/Path.h"
#include "resources/FileOpenError.h"
#include "resources/MarkupError.h"
#include "runtime/Messages.h"

namespace varno {

std::string ToCrLfLines(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16 + 2);
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t lineEnd = bytes.find_first_of("\r\n", i);
        if (lineEnd == std::string_view::npos) {
            text.append(bytes.substr(i));
            break;
        }
        text.append(bytes.substr(i, lineEnd - i));
        text += "\r\n";
        i = lineEnd + 1;
        if (bytes[lineEnd] == '\r' && i < bytes.size() && bytes[i] == '\n') ++i;
        if (i == bytes.size()) return text;
    }
    if (!bytes.empty()) text += "\r\n";
    return text;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string ReadTextFile(std::string_view systemPath) {
    const auto bytes = ReadFileBytes(HostPath(systemPath));
    if (!bytes) {
        ShowMessage(std::string(systemPath) + GetMsg(" is not found."));
        throw EFileOpenError("Cannot open file \"" + std::string(systemPath) + "\".");
    }
    return ToCrLfLines(*bytes);
}

void WriteTextFile(std::string_view systemPath, const std::vector<std::string>& lines) {
    if (!WriteFileBytes(HostPath(systemPath), JoinLines(lines))) {
        throw EFileOpenError("Cannot create file \"" + std::string(systemPath) + "\".");
    }
}

std::unique_ptr<TSGML> ReadResourceElement(const std::string& text, std::string_view source) {
    const char* cursor = text.c_str();
    auto element = TSGML::ScanElement(cursor);
    if (!element) throw EMarkupError(std::string(source) + ": no resource element in the text.");
    return element;
}

std::unique_ptr<TSGML> ReadMarkupFile(std::string_view systemPath) {
    return ReadResourceElement(ReadTextFile(systemPath), systemPath);
}

}  // namespace varno
