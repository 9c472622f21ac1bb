// Functions: bookkeeping, the class-file form, and the unbound-native placeholder.
#include "runtime/Function.h"

#include "base/Error.h"
#include "runtime/ByteStream.h"
#include "runtime/CodeVerifier.h"
#include "runtime/Messages.h"
#include "runtime/Object.h"
#include "runtime/Symbols.h"

namespace varno {

TFunction::TFunction(TFunctionKind kind, TRTTI* owner, std::int32_t name)
    : m_kind(kind), m_owner(owner), m_name(name) {
    ++RuntimeCounters().liveFunctions;
}

TFunction::~TFunction() { --RuntimeCounters().liveFunctions; }

const std::string& TFunction::NameText() const { return SymbolName(m_name); }

void TFunction::Save(TByteWriter& out) const {
    out.writeText(hostClassName());
    out.writeText(NameText());
}

void TFunction::Load(TByteReader&) {}

void TFunction::releaseFromTable(TFunction* f) {
    if (--f->m_tableCount <= 0) delete f;
}

void TNormalFunction::Save(TByteWriter& out) const {
    TFunction::Save(out);
    out.writeTextList(m_arguments);
    out.writeTextList(m_locals);
    if (m_code) {
        WriteCompiledInfo(*m_code, out);
    } else {
        WriteCompiledInfo(TCompiledInfo({}, {}), out);
    }
}

void TNormalFunction::Load(TByteReader& in) {
    m_arguments = in.readTextList();
    m_locals = in.readTextList();
    m_code = ReadCompiledInfo(in);
    VerifyCode(*m_code, localCount());
}

TNativeFunction::TNativeFunction(TRTTI* owner, std::int32_t name)
    : TFunction(TFunctionKind::Native, owner, name), m_routine(NativeNotImplemented) {}

void NativeNotImplemented(TValue*, std::int32_t, std::int32_t) {
    throw EVarno(GetMsg("native Method is not implemented."));
}

TFunction* NewFunctionOfKind(std::string_view kindName, TRTTI* owner, std::int32_t name) {
    if (kindName == "TNormalFunction") return new TNormalFunction(owner, name);
    if (kindName == "TConstructor") return new TConstructor(owner, name);
    if (kindName == "TDestructor") return new TDestructor(owner, name);
    if (kindName == "TNativeFunction") return new TNativeFunction(owner, name);
    return nullptr;
}

}  // namespace varno
