// The settings store: lines of key=value from Kernel\Cookies.ini.
#include "startup/Settings.h"

#include <algorithm>

#include "base/Path.h"
#include "resources/SystemPath.h"
#include "runtime/CaseFold.h"

namespace varno {
namespace {

bool HasKey(std::string_view line, std::string_view key) {
    return line.size() > key.size() && line[key.size()] == '=' && SameText(line.substr(0, key.size()), key);
}

}  // namespace

TSettings& Settings() {
    static TSettings settings;
    return settings;
}

void TSettings::Load(std::string_view programDir) {
    m_lines.clear();
    const auto bytes = ReadFileBytes(HostPath(ResolvePath("Kernel\\Cookies.ini", programDir)));
    if (!bytes) return;
    std::size_t start = 0;
    while (start < bytes->size()) {
        std::size_t end = bytes->find('\n', start);
        if (end == std::string::npos) end = bytes->size();
        std::string line = bytes->substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) m_lines.push_back(std::move(line));
        start = end + 1;
    }
}

std::string TSettings::Get(std::string_view key) const {
    for (const std::string& line : m_lines) {
        if (HasKey(line, key)) return line.substr(key.size() + 1);
    }
    return {};
}

void TSettings::Set(std::string_view key, std::string_view value) {
    std::erase_if(m_lines, [&](const std::string& line) { return HasKey(line, key); });
    m_lines.push_back(std::string(key) + "=" + std::string(value));
}

}  // namespace varno
