// Helpers shared by every test suite: fixture paths, temporary directories, file bytes.
#pragma once

#include <filesystem>
#include <string>

namespace varno::test {

// tests/data/<relative>
std::filesystem::path DataPath(const std::string& relative);

// Reads a whole file as bytes; fails the current test (and returns "") when it cannot.
std::string ReadBytes(const std::filesystem::path& path);

// Writes bytes to a file, creating parent directories.
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// A fresh directory under the system's temporary directory, removed with its contents.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace varno::test
