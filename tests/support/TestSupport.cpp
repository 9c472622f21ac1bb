// Helpers shared by every test suite.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

namespace varno::test {

std::filesystem::path DataPath(const std::string& relative) {
    return std::filesystem::path(VARNO_TEST_DATA) / relative;
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot read " << path;
        return {};
    }
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TTempDir::TTempDir() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        m_path = base / ("varno-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(m_path)) break;
    }
}

TTempDir::~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

}  // namespace varno::test
