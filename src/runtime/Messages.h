// GetMsg: every user-visible text passes through it and may be replaced from Kernel\message.ini.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace varno {

// The text for key: the value of the message file's line whose key equals it without
// regard to case; the key itself when there is no such line or its value is empty. The
// file is read on the first call from the program directory.
std::string GetMsg(std::string_view key);

// The program directory (holding Kernel/, Usr/, Temp/). Start-up sets it (for --root);
// until then it is the folder of the executable. Setting it drops the loaded messages,
// so the next GetMsg reads the file of the new directory.
void SetProgramDir(const std::filesystem::path& dir);
const std::filesystem::path& ProgramDir();

}  // namespace varno
