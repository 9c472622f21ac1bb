// TFunction and its kinds: byte-code methods (functions, constructors, destructors) and native methods.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/CompiledInfo.h"
#include "runtime/HostObject.h"
#include "runtime/Native.h"

namespace varno {

class TByteWriter;
class TByteReader;

// The kind decides how a call enters the function and which searches find it; the
// interpreter tests it without a dynamic cast.
enum class TFunctionKind : std::uint8_t { Normal, Constructor, Destructor, Native };

// A method. Method tables share function objects (inherited entries are the superclass's
// objects); TableCount counts the tables holding one, and the last table to let go frees it.
class TFunction : public THostObject {
public:
    ~TFunction() override;

    TFunctionKind kind() const { return m_kind; }
    bool isByteCode() const { return m_kind != TFunctionKind::Native; }
    TRTTI* Owner() const { return m_owner; }
    std::int32_t Name() const { return m_name; }
    std::int32_t TableCount() const { return m_tableCount; }

    // The slots, in order.
    virtual const std::string& NameText() const;  // SymbolName(Name)
    // The kind name and the name as class-file texts, then what the kind adds.
    virtual void Save(TByteWriter& out) const;
    // Reads what the kind adds after the two texts.
    virtual void Load(TByteReader& in);

    // Method-table bookkeeping (TRTTI's building operations use these).
    void retain() { ++m_tableCount; }
    // One table less; frees the function when none holds it any more.
    static void releaseFromTable(TFunction* f);

protected:
    TFunction(TFunctionKind kind, TRTTI* owner, std::int32_t name);

private:
    TFunctionKind m_kind;
    TRTTI* m_owner;
    std::int32_t m_tableCount = 0;
    std::int32_t m_name;
};

// A byte-code method: argument names, local names (their count is the number of local
// slots a call reserves) and the code block a call enters.
class TNormalFunction : public TFunction {
public:
    TNormalFunction(TRTTI* owner, std::int32_t name) : TNormalFunction(TFunctionKind::Normal, owner, name) {}
    const char* hostClassName() const override { return "TNormalFunction"; }

    std::vector<std::string>& Arguments() { return m_arguments; }
    const std::vector<std::string>& Arguments() const { return m_arguments; }
    std::vector<std::string>& Locals() { return m_locals; }
    const std::vector<std::string>& Locals() const { return m_locals; }
    std::int32_t localCount() const { return static_cast<std::int32_t>(m_locals.size()); }
    TCompiledInfo* Code() const { return m_code.get(); }
    void SetCode(std::unique_ptr<TCompiledInfo> code) { m_code = std::move(code); }

    void Save(TByteWriter& out) const override;
    // Reads the argument and local lists and the code block, and verifies the block.
    void Load(TByteReader& in) override;

protected:
    TNormalFunction(TFunctionKind kind, TRTTI* owner, std::int32_t name) : TFunction(kind, owner, name) {}

private:
    std::vector<std::string> m_arguments;
    std::vector<std::string> m_locals;
    std::unique_ptr<TCompiledInfo> m_code;
};

class TConstructor : public TNormalFunction {
public:
    TConstructor(TRTTI* owner, std::int32_t name) : TNormalFunction(TFunctionKind::Constructor, owner, name) {}
    const char* hostClassName() const override { return "TConstructor"; }
};

class TDestructor : public TNormalFunction {
public:
    TDestructor(TRTTI* owner, std::int32_t name) : TNormalFunction(TFunctionKind::Destructor, owner, name) {}
    const char* hostClassName() const override { return "TDestructor"; }
};

// A method implemented by the host; its routine is a placeholder that raises
// "native Method is not implemented." until BindNative binds the real one.
class TNativeFunction : public TFunction {
public:
    TNativeFunction(TRTTI* owner, std::int32_t name);
    const char* hostClassName() const override { return "TNativeFunction"; }

    TNativeRoutine Routine() const { return m_routine; }
    void SetRoutine(TNativeRoutine routine) { m_routine = routine; }

private:
    TNativeRoutine m_routine;
};

// The placeholder routine of unbound native methods.
void NativeNotImplemented(TValue* slot, std::int32_t argCount, std::int32_t zero);

// Makes a function of the kind named as in the class file ("TNormalFunction",
// "TConstructor", "TDestructor", "TNativeFunction"); null for any other name.
TFunction* NewFunctionOfKind(std::string_view kindName, TRTTI* owner, std::int32_t name);

}  // namespace varno
