// TSettings: the settings store Kernel\Cookies.ini, key=value lines kept in memory for the run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varno {

// Read once at start. Keys compare without regard to letter case. Changes are not written
// back: they last for the run.
class TSettings {
public:
    // Reads Kernel\Cookies.ini under programDir (a system path); a missing file is empty.
    void Load(std::string_view programDir);

    // The value of the first line "key=value"; "" when there is none.
    std::string Get(std::string_view key) const;
    // Removes every line beginning with key + "=" and appends key=value.
    void Set(std::string_view key, std::string_view value);

    // A setting N lives under the key "env:" + N.
    std::string GetSetting(std::string_view name) const { return Get("env:" + std::string(name)); }
    void SetSetting(std::string_view name, std::string_view value) { Set("env:" + std::string(name), value); }

    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    std::vector<std::string> m_lines;
};

// The store of this run.
TSettings& Settings();

}  // namespace varno
