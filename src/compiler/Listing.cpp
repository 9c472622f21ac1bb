// Code listings and symbol dumps.
#include "compiler/Listing.h"

#include <cstdio>
#include <cstring>

#include "base/Error.h"
#include "base/Text.h"
#include "runtime/CompiledInfo.h"
#include "runtime/Function.h"
#include "runtime/Opcodes.h"
#include "runtime/RTTI.h"
#include "runtime/Symbols.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

[[noreturn]] void Abnormal() {
    static const std::string message = Utf8ToSjis("異常な命令が入っています");
    throw EVarno(message);
}

std::string Hex8(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", address);
    return text;
}

// An inline value's display text; an object operand (which no compiler writes) is shown
// only when it names a live object block.
std::string ValueText(std::uint32_t tagWord, std::uint32_t payload) {
    const TValue v = TValue::Make(static_cast<TVType>(tagWord & 0xFF), payload);
    if (v.tag == tvObject && !IsHeapBlock(payload, THeapKind::Object)) return "?";
    return ToText(v);
}

std::string FunctionName(std::uint32_t ref) {
    const TFunction* function = HostFromRef<TFunction>(ref);
    return function != nullptr ? function->NameText() : std::string("nil");
}

std::string ClassName(std::uint32_t ref) {
    const TRTTI* cls = HostFromRef<TRTTI>(ref);
    return cls != nullptr ? cls->ClassText() : std::string("nil");
}

std::string Signed(std::uint32_t word) { return std::to_string(static_cast<std::int32_t>(word)); }

// The text of the instruction at pos and its length; raises for an opcode without text.
std::string InstructionText(const TCompiledInfo& info, std::uint32_t pos, std::uint32_t& length) {
    const std::uint32_t size = info.size();
    auto word = [&](std::uint32_t k) {
        if (std::uint64_t{pos} + 4 * (k + 1) > size) Abnormal();
        return info.word(pos + 4 * k);
    };
    const std::uint32_t op = word(0);
    if (!IsOpcode(op) || op == static_cast<std::uint32_t>(Op_Point)) Abnormal();
    length = OpcodeBytes(static_cast<TOpcode>(op));
    const std::string_view name = OpcodeName(op);
    const std::string head = std::string(name) + " ";
    switch (static_cast<TOpcode>(op)) {
        case Op_Push:
        case Op_Push_Deref:
            return head + ValueText(word(1), word(2));
        case Op_PushString: {
            const std::uint32_t l = word(1);
            if (std::uint64_t{pos} + 8 + l > size) Abnormal();
            length = 8 + l;
            const auto* text = reinterpret_cast<const char*>(info.code() + pos + 8);
            return head + std::string(text, strnlen(text, l));
        }
        case Op_SMemberValPtr:
        case Op_LocalValPtr:
        case Op_ArgValPtr:
        case Op_LocalValPtr_Deref:
        case Op_ArgValPtr_Deref:
            return head + Signed(word(1));
        case Op_DMemberValPtr:
            return head + SymbolName(static_cast<std::int32_t>(word(1)));
        case Op_DMemberValPtr_Deref:
            return head + Signed(word(1));
        case Op_PushThis_SMemberValPtr:
        case Op_PushThis_SMemberValPtr_Deref:
            return head + Signed(word(2));
        case Op_DCall:
            return head + std::to_string(word(1)) + "," + SymbolName(static_cast<std::int32_t>(word(2)));
        case Op_SCall:
            return head + std::to_string(word(1)) + "," + Signed(word(2));
        case Op_SuperCall:
        case Op_NativeCall:
            return head + std::to_string(word(1)) + "," + FunctionName(word(2));
        case Op_Constructor:
            return head + std::to_string(word(1)) + "," + ClassName(word(2));
        case Op_Is:
            return head + ClassName(word(1));
        case Op_Jump:
        case Op_JumpZero:
        case Op_Jump_And:
        case Op_Jump_Or:
            return std::string(name) + Signed(word(1));
        case Op_InitForIn: return "InitForin";
        case Op_DoForIn: return "DoForin" + Signed(word(1));
        case Op_ClearForIn: return "ClearForin";
        default:
            return std::string(name);  // Pop, PushThis, the operators, Not … Deref, Ret
    }
}

const char* KindWord(const TFunction& function) {
    switch (function.kind()) {
        case TFunctionKind::Constructor: return "constructor ";
        case TFunctionKind::Destructor: return "destructor ";
        default: return "function ";
    }
}

}  // namespace

void Dump(const TCompiledInfo& info, TLines& lines) {
    for (const TCInfoElem& elem : info.symbols().elements) {
        for (const std::uint32_t offset : elem.offsets) {
            lines.push_back("op=" + OpName(static_cast<std::uint32_t>(elem.kind)) + " ,addr=" + std::to_string(offset) +
                            " ,info=" + elem.text);
        }
    }
}

void Listing(const TCompiledInfo& info, TLines& lines, std::uint32_t from) {
    std::uint32_t pos = from;
    for (;;) {
        if (std::uint64_t{pos} + 4 > info.size()) Abnormal();
        if (info.word(pos) == static_cast<std::uint32_t>(Op_Halt)) return;
        std::uint32_t length = 0;
        std::string text = InstructionText(info, pos, length);
        lines.push_back(Hex8(RefOf(info.code() + pos)) + ":" + text);
        pos += length;
    }
}

void ListClass(const TRTTI& cls, TLines& lines) {
    if (cls.Code() != nullptr) {
        lines.push_back("class " + FullName(cls));
        Listing(*cls.Code(), lines);
    }
    for (const TFunction* function : cls.Methods()) {
        if (function->Owner() != &cls || !function->isByteCode()) continue;
        const auto& normal = static_cast<const TNormalFunction&>(*function);
        std::string heading = KindWord(normal) + normal.NameText() + "(";
        for (std::size_t i = 0; i < normal.Arguments().size(); ++i) {
            if (i > 0) heading += ",";
            heading += normal.Arguments()[i];
        }
        lines.push_back(heading + ")");
        if (normal.Code() != nullptr) Listing(*normal.Code(), lines);
    }
}

}  // namespace varno
