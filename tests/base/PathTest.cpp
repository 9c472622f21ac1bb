// System paths: backslashes, case-insensitive resolution, safe whole-file writes.
#include <gtest/gtest.h>

#include "base/Path.h"
#include "support/TestSupport.h"

namespace varno {
namespace {

TEST(HostPath, ResolvesBackslashesAndLetterCase) {
    test::TTempDir dir;
    test::WriteBytes(dir.path() / "Kernel" / "message.ini", "x");
    EXPECT_EQ(HostPath("kernel\\MESSAGE.INI", dir.path()), dir.path() / "Kernel" / "message.ini");
    EXPECT_EQ(HostPath("Kernel/message.ini", dir.path()), dir.path() / "Kernel" / "message.ini");
    // A missing component is kept as written, and so is everything below it.
    EXPECT_EQ(HostPath("KERNEL\\new\\File.txt", dir.path()), dir.path() / "Kernel" / "new" / "File.txt");
}

TEST(HostPath, ReadAndWriteWholeFiles) {
    test::TTempDir dir;
    const auto file = dir.path() / "a.bin";
    EXPECT_FALSE(ReadFileBytes(file));
    EXPECT_FALSE(ReadFileBytes(dir.path()));  // a directory is not a file
    const std::string bytes("\x00\x81\x40zz", 5);
    ASSERT_TRUE(WriteFileBytes(file, bytes));
    EXPECT_EQ(ReadFileBytes(file), bytes);
    EXPECT_FALSE(WriteFileBytes(dir.path() / "missing" / "b.bin", "x"));
}

}  // namespace
}  // namespace varno
