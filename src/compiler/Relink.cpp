// Re-linking the symbol records of a loaded code block.
#include "compiler/Relink.h"

#include <string>

#include "base/Error.h"
#include "runtime/CompiledInfo.h"
#include "runtime/Function.h"
#include "runtime/Messages.h"
#include "runtime/Opcodes.h"
#include "runtime/RTTI.h"
#include "runtime/Symbols.h"

namespace varno {
namespace {

[[noreturn]] void NotFound(std::string_view what, const std::string& name) {
    throw EVarno(GetMsg(what) + name + GetMsg(" is not found."));
}

// What one record's offsets are patched with.
struct TPatch {
    std::uint32_t word = 0;   // which word of the instruction (1 or 2)
    std::uint32_t value = 0;
    bool tagOnly = false;     // kind 1 also sets word 1's tag byte
};

TPatch Resolve(const TCInfoElem& elem, TRTTI& cls) {
    const std::string& text = elem.text;
    switch (elem.kind) {
        case static_cast<std::int32_t>(Op_Push): {
            TResource* global = FindResource(text);
            TValue* cell = global != nullptr ? global->ValueCell() : nullptr;
            if (cell == nullptr) NotFound("Value", text);
            return {2, RefOf(cell), true};
        }
        case static_cast<std::int32_t>(Op_SMemberValPtr):
            return {1, static_cast<std::uint32_t>(cls.MemberIndexOf(text))};
        case static_cast<std::int32_t>(Op_DMemberValPtr):
            return {1, static_cast<std::uint32_t>(Intern(text))};
        case static_cast<std::int32_t>(Op_DCall):
            return {2, static_cast<std::uint32_t>(Intern(text))};
        case static_cast<std::int32_t>(Op_SCall): {
            const int index = cls.MethodIndexByName(text);
            if (index < 0) NotFound("Method", text);
            return {2, static_cast<std::uint32_t>(index)};
        }
        case static_cast<std::int32_t>(Op_SuperCall): {
            TRTTI* super = cls.SuperClass();
            TFunction* function = nullptr;
            if (super != nullptr) {
                if (text == "constructor") function = super->Constructor();
                else if (text == "destructor") function = super->Destructor();
                else function = super->MethodByName(text);
            }
            // A super call enters byte code: a native function there is as good as none.
            if (function == nullptr || !function->isByteCode()) NotFound("Method super.", text);
            return {2, function->ref()};
        }
        case static_cast<std::int32_t>(Op_NativeCall): {
            TFunction* function = cls.MethodByName(text);
            if (function == nullptr || function->isByteCode()) NotFound("native Method", text);
            return {2, function->ref()};
        }
        case static_cast<std::int32_t>(Op_Constructor):
        case static_cast<std::int32_t>(Op_Is): {
            TRTTI* target = FindClass(text);
            if (target == nullptr) NotFound("Class", text);
            return {elem.kind == static_cast<std::int32_t>(Op_Is) ? 1u : 2u, target->ref()};
        }
        default:
            return {};  // a record without an operand to patch
    }
}

}  // namespace

void Relink(TCompiledInfo& info, TRTTI& cls) {
    info.setClass(&cls);
    for (const TCInfoElem& elem : info.symbols().elements) {
        if (elem.kind == static_cast<std::int32_t>(Op_Push) && elem.text.empty()) continue;  // plain constants
        const TPatch patch = Resolve(elem, cls);
        if (patch.word == 0) continue;
        for (const std::uint32_t offset : elem.offsets) {
            const std::uint64_t end = std::uint64_t{offset} + 4 * (patch.word + 1);
            if (end > info.size()) throw EVarno(GetMsg("Invalid Instruction"));
            if (patch.tagOnly) info.code()[offset + 4] = static_cast<std::uint8_t>(tvRef);
            info.setWord(offset + 4 * patch.word, patch.value);
        }
    }
}

}  // namespace varno
