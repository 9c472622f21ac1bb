// The message table: Kernel\message.ini read once, keys compared without regard to case.
#include "runtime/Messages.h"

#include <algorithm>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "base/Path.h"
#include "runtime/CaseFold.h"

namespace varno {
namespace {

struct TMessageState {
    std::optional<std::filesystem::path> programDir;
    bool loaded = false;
    std::unordered_map<std::string, std::string> table;  // folded key -> value
};

TMessageState& State() {
    static TMessageState state;
    return state;
}

std::filesystem::path ExecutableDir() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path(error);
    return exe.parent_path();
}

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// Keeps the lines sorted without regard to case, drops a line equal to an earlier one
// (ignoring case), and remembers for each key the value of its first line in that order.
void Load(TMessageState& state) {
    state.loaded = true;
    state.table.clear();
    const auto bytes = ReadFileBytes(HostPath("Kernel\\message.ini", ProgramDir()));
    if (!bytes) return;
    std::vector<std::string> lines = SplitLines(*bytes);
    std::stable_sort(lines.begin(), lines.end(),
                     [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    lines.erase(std::unique(lines.begin(), lines.end(),
                            [](const std::string& a, const std::string& b) { return SameText(a, b); }),
                lines.end());
    for (const std::string& line : lines) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;  // a line without "=" never matches
        state.table.try_emplace(FoldCase(std::string_view(line).substr(0, eq)), line.substr(eq + 1));
    }
}

}  // namespace

void SetProgramDir(const std::filesystem::path& dir) {
    TMessageState& state = State();
    state.programDir = dir;
    state.loaded = false;
    state.table.clear();
}

const std::filesystem::path& ProgramDir() {
    TMessageState& state = State();
    if (!state.programDir) state.programDir = ExecutableDir();
    return *state.programDir;
}

std::string GetMsg(std::string_view key) {
    TMessageState& state = State();
    if (!state.loaded) Load(state);
    if (state.table.empty()) return std::string(key);
    const auto it = state.table.find(FoldCase(key));
    if (it == state.table.end() || it->second.empty()) return std::string(key);
    return it->second;
}

}  // namespace varno
