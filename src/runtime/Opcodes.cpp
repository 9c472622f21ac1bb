// Names of the instructions for listings and symbol dumps.
#include "runtime/Opcodes.h"

namespace varno {

std::string OpName(std::uint32_t word) {
    if (!IsOpcode(word)) return "Invalid Code";
    return "Op_" + std::string(kOpcodeInfo[word].name);
}

}  // namespace varno
