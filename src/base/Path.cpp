// System paths to host paths, and whole-file reads and writes.
#include "base/Path.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "base/Text.h"

namespace varno {
namespace fs = std::filesystem;
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
        if (x != y) return false;
    }
    return true;
}

// The entry of `dir` whose name equals `name` without regard to case, if any.
std::optional<std::string> findIgnoringCase(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (equalsIgnoringCase(entry, name)) return entry;
    }
    return std::nullopt;
}

}  // namespace

fs::path HostPath(std::string_view systemPath, const fs::path& base) {
    std::string text = SjisToUtf8(systemPath);
    for (char& c : text) {
        if (c == '\\') c = '/';
    }
    fs::path result;
    size_t pos = 0;
    if (!text.empty() && text[0] == '/') {
        result = "/";
        pos = 1;
    } else {
        result = base;
    }
    bool resolving = true;  // once a component is missing, nothing below it can exist
    while (pos <= text.size()) {
        size_t end = text.find('/', pos);
        if (end == std::string::npos) end = text.size();
        const std::string part = text.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            result /= part;
            continue;
        }
        std::error_code ec;
        if (resolving && !fs::exists(result / part, ec)) {
            if (auto found = findIgnoringCase(result, part)) {
                result /= *found;
                continue;
            }
            resolving = false;
        }
        result /= part;
    }
    return result;
}

std::optional<std::string> ReadFileBytes(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(out).str();
}

bool WriteFileBytes(const fs::path& path, std::string_view bytes) {
    fs::path temp = path;
    temp += ".tmp~";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            fs::remove(temp, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

}  // namespace varno
