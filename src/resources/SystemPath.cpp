// Path operations on system paths, the program and resource base directories, cache names.
#include "resources/SystemPath.h"

#include <algorithm>
#include <system_error>

#include "base/Path.h"
#include "base/Text.h"
#include "runtime/CaseFold.h"
#include "runtime/Messages.h"  // ProgramDir

namespace varno {
namespace fs = std::filesystem;
namespace {

std::string g_resourceBaseDir;
std::vector<std::string> g_writableRoots;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool StartsWithText(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

std::vector<std::string_view> SplitComponents(std::string_view p) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = p.find('\\', start);
        parts.push_back(p.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start));
        if (slash == std::string_view::npos) return parts;
        start = slash + 1;
    }
}

// '*' any run of characters, '?' one character; letter case ignored.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || SameText(pattern.substr(p, 1), name.substr(n, 1)))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

std::string SystemPath(const fs::path& hostPath) {
    std::string text = Utf8ToSjis(hostPath.generic_string());
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

bool IsAbsolutePath(std::string_view p) {
    if (p.empty()) return false;
    if (p[0] == '\\') return true;
    return p.size() >= 3 && IsAsciiLetter(p[0]) && p[1] == ':' && p[2] == '\\';
}

std::string StripSlash(std::string_view p) {
    if (!p.empty() && p.back() == '\\') p.remove_suffix(1);
    return std::string(p);
}

std::string ParentDir(std::string_view p) {
    std::string s = StripSlash(p);
    const std::size_t slash = s.rfind('\\');
    s.erase(slash == std::string::npos ? 0 : slash + 1);
    return StripSlash(s);
}

std::string ResolvePath(std::string_view path, std::string_view base) {
    if (path.empty()) return {};
    if (IsAbsolutePath(path)) return std::string(path);
    if (base.empty()) return {};
    std::string result = StripSlash(base);
    for (std::string_view part : SplitComponents(path)) {
        if (part == "..") {
            result = ParentDir(result);
        } else if (part != ".") {
            result += '\\';
            result += part;
        }
    }
    return result;
}

bool IsWithin(std::string_view a, std::string_view dir) {
    const std::string x = StripSlash(a);
    const std::string d = StripSlash(dir);
    if (SameText(x, d)) return true;
    return x.size() > d.size() && StartsWithText(x, d) && x[d.size()] == '\\';
}

std::string CommonAncestor(std::string_view a, std::string_view b) {
    std::string x(a);
    for (;;) {
        if (x.empty() || b.empty()) return {};
        if (IsWithin(x, b)) return std::string(b);
        if (IsWithin(b, x)) return x;
        x = ParentDir(x);
    }
}

std::string RelativePath(std::string_view path, std::string_view base) {
    if (path.empty()) return {};
    if (!IsAbsolutePath(path)) return std::string(path);
    const std::string p = StripSlash(path);
    std::string b = StripSlash(base);
    std::string result;
    while (!IsWithin(p, b)) {
        result += "..\\";
        b = ParentDir(b);
        if (b.empty()) return std::string(path);
    }
    if (p.size() > b.size()) result += p.substr(b.size() + 1);
    return result;
}

bool SamePath(std::string_view a, std::string_view b) { return SameText(StripSlash(a), StripSlash(b)); }

std::string BaseName(std::string_view p) {
    const std::size_t slash = p.rfind('\\');
    std::string name(slash == std::string_view::npos ? p : p.substr(slash + 1));
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

std::string NormalizePath(std::string_view p) {
    std::vector<std::string_view> kept;
    const auto parts = SplitComponents(p);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        if (part == "." || (part.empty() && i > 0)) continue;
        if (part == "..") {
            if (kept.size() > 1) kept.pop_back();  // never above the root or the drive
            continue;
        }
        kept.push_back(part);
    }
    if (kept.size() == 1 && kept[0].empty()) return std::string(1, '\\');  // the root itself
    std::string result;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) result += '\\';
        result += kept[i];
    }
    return result;
}

std::string ProgramDirectory() { return SystemPath(ProgramDir()); }

const std::string& ResourceBaseDir() { return g_resourceBaseDir; }

void SetResourceBaseDir(std::string dir) { g_resourceBaseDir = std::move(dir); }

TResourceBaseScope::TResourceBaseScope(std::string dir) : m_saved(g_resourceBaseDir) {
    g_resourceBaseDir = std::move(dir);
}

TResourceBaseScope::~TResourceBaseScope() { g_resourceBaseDir = std::move(m_saved); }

std::string TempName(std::string_view path, std::string_view prefix) {
    const std::string programDir = ProgramDirectory();
    const std::string relative = RelativePath(path, programDir);
    std::string name(prefix);
    for (std::size_t i = 0; i < relative.size(); ++i) {
        const char c = relative[i];
        if (c == '.' && i + 1 < relative.size() && relative[i + 1] == '.') {
            name += '@';
            ++i;
        } else if (c == '@' || c == '_' || IsAsciiLetter(c) || (c >= '0' && c <= '9')) {
            name += c;
        }
    }
    const std::string tempDir = ResolvePath("Temp", programDir);
    std::error_code error;
    fs::create_directories(HostPath(tempDir), error);
    return ResolvePath(name, tempDir);
}

void AddWritableRoot(std::string dir) { g_writableRoots.push_back(std::move(dir)); }

void RemoveWritableRoot(std::string_view dir) {
    const auto it = std::find_if(g_writableRoots.begin(), g_writableRoots.end(),
                                 [&](const std::string& root) { return SamePath(root, dir); });
    if (it != g_writableRoots.end()) g_writableRoots.erase(it);
}

bool IsWritablePath(std::string_view path) {
    if (!IsAbsolutePath(path)) return false;
    const std::string target = NormalizePath(path);
    auto below = [&](std::string_view root) { return !root.empty() && IsWithin(target, NormalizePath(root)); };
    if (below(ProgramDirectory()) || below(g_resourceBaseDir)) return true;
    return std::any_of(g_writableRoots.begin(), g_writableRoots.end(), below);
}

TDirectory ListDirectory(std::string_view pattern) {
    TDirectory listing;
    const std::string dir = ParentDir(pattern);
    const std::size_t slash = pattern.rfind('\\');
    const std::string_view wildcard = slash == std::string_view::npos ? pattern : pattern.substr(slash + 1);
    std::error_code error;
    for (fs::directory_iterator it(HostPath(dir), error), end; !error && it != end; it.increment(error)) {
        const std::string name = Utf8ToSjis(it->path().filename().string());
        std::error_code kindError;
        if (it->is_directory(kindError)) {
            listing.Dirs.push_back(name);
        } else if (WildcardMatch(wildcard, name)) {
            listing.Files.push_back(name);
        }
    }
    std::sort(listing.Files.begin(), listing.Files.end());
    std::sort(listing.Dirs.begin(), listing.Dirs.end());
    return listing;
}

}  // namespace varno
