// A small world for interpreter tests: kernel-like classes, globals, test natives, runs.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Assembler.h"
#include "RuntimeFixture.h"
#include "base/MessageBox.h"
#include "runtime/ElementList.h"
#include "runtime/Function.h"
#include "runtime/Interpreter.h"
#include "runtime/KernelClasses.h"
#include "runtime/NativeContract.h"
#include "runtime/Object.h"
#include "runtime/Process.h"
#include "runtime/RTTI.h"
#include "runtime/RuntimeError.h"
#include "runtime/String.h"
#include "runtime/ValueOps.h"

namespace varno::test {

// A global variable node: one value cell.
class TTestGlobal : public TResource {
public:
    explicit TTestGlobal(std::string name) : TResource(std::move(name), "") {}
    TValue* ValueCell() override { return &cell; }
    TValue cell;
};

// What the test natives print.
inline std::string& Printed() {
    static std::string text;
    return text;
}

// Natives of the world's root class.
inline void NativePrint(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) Printed() += ToText(call.arg(1)) + "\n";
}
inline void NativeSuspend(TValue*, std::int32_t, std::int32_t) { TNativeCall::suspend(); }
inline void NativeKillSelf(TValue*, std::int32_t, std::int32_t) { TNativeCall::process().Kill(); }
inline void NativeArgCount(TValue* slot, std::int32_t n, std::int32_t) { TNativeCall(slot, n).setInt(n); }
inline void NativeBreak(TValue*, std::int32_t, std::int32_t) {
    ProcessGlobals().stepBudget = 0;
    TNativeCall::process().Suspend();  // Avail := 0 without the run ending for good
}
// exec(object, "method"): runs a process on object for method to its end, nested.
inline void NativeExec(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(2) || ObjectOf(call.arg(1)) == nullptr) return;
    TProcess* inner = TProcess::Create(*ObjectOf(call.arg(1)), {}, ToText(call.arg(2)));
    while (!inner->halted()) inner->Run(kRunBudget);
    call.setInt(inner->errorState());
    TProcess::Free(inner);
}
inline void NativeFreeBody(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) FreeStringBody(NativeOf<TfString>(call.arg(1)));
}
inline void NativeFail(TValue*, std::int32_t, std::int32_t) { throw ERuntimeError("native failed"); }

class TScriptWorld {
public:
    TScriptWorld() {
        Printed().clear();
        TProcessGlobals& g = ProcessGlobals();
        g.lastReport.clear();
        g.stepBudget = kRunBudget;
        g.preempted = false;
        g.debuggerPause = {};
        m_root = std::make_unique<TTestFolder>("root");
        SetRootResource(m_root.get());
        InstallInterpreter();
        RuntimeHooks().rootFallback = [this](std::string_view name) -> TResource* {
            return m_root->add(std::make_unique<TTestGlobal>(std::string(name)));
        };
        auto* classes = m_root->add(std::make_unique<TTestFolder>("classes"));
        auto* lang = classes->add(std::make_unique<TTestFolder>("lang"));
        m_object = lang->add(MakeClass("Object", {"_generator"}));
        for (const auto& [name, routine] :
             {std::pair<const char*, TNativeRoutine>{"print", NativePrint}, {"suspend", NativeSuspend},
              {"killSelf", NativeKillSelf}, {"argCount", NativeArgCount}, {"breakExec", NativeBreak},
              {"exec", NativeExec}, {"fail", NativeFail}}) {
            native(*m_object, name, routine);
        }
        classCode(*m_object, "Push float:0; Halt");
        m_string = lang->add(MakeClass("String", {"_body"}, m_object));
        classCode(*m_string, "Push float:0; Halt");
        // As in the kernel, a string frees its body in its destructor.
        native(*m_string, "_free_body", NativeFreeBody);
        method(*m_string, "finalize",
               "PushThis; PushThis; SMemberValPtr 1; Deref; NativeCall 1 fn:classes.lang.String._free_body; Pop;"
               "PushThis; SMemberValPtr 1; Push null; Subst; Pop; PushThis; Ret",
               0, 0, TFunctionKind::Destructor);
        m_array = lang->add(MakeClass("Array", {"_x"}, m_object));
        classCode(*m_array, "Push float:0; Halt");
        SetStringClass(m_string);
        SetKernelClasses(m_object, m_array);
    }

    ~TScriptWorld() {
        for (TValue& v : m_holds) Release(v);
        ScratchValue() = TValue::Null();
        m_string->DropScriptValues();  // every string's destructor frees its body
        for (TElementList* list : m_lists) delete list;
        SetKernelClasses(nullptr, nullptr);
        SetStringClass(nullptr);
        SetRootResource(nullptr);
        m_root.reset();
        ProcessGlobals().stepBudget = kRunBudget;
        ProcessGlobals().debuggerPause = {};
    }

    TRTTI& objectClass() { return *m_object; }
    TRTTI& arrayClass() { return *m_array; }
    TTestFolder& root() { return *m_root; }
    const std::string& messages() const { return m_messages.text(); }
    int messageCount() const { return m_messages.count(); }

    // A compiled class under the root, inheriting from base (the root class by default).
    TRTTI& defineClass(const std::string& name, std::initializer_list<const char*> members = {}, TRTTI* base = nullptr) {
        TRTTI* cls = m_root->add(MakeClass(name, members, base != nullptr ? base : m_object));
        cls->SetSrc(name + ".varno");
        classCode(*cls, "Push float:0; Halt");
        return *cls;
    }

    std::unique_ptr<TCompiledInfo> assemble(std::string_view text, TRTTI* cls) {
        TAssembler assembler([this](std::string_view kind, std::string_view name) { return resolve(kind, name); });
        return assembler.assemble(text, cls);
    }

    void classCode(TRTTI& cls, std::string_view text) { cls.SetCode(assemble(text, &cls)); }

    // A byte-code method of the given kind with args arguments and locals locals.
    TNormalFunction& method(TRTTI& cls, const std::string& name, std::string_view text, int args = 0, int locals = 0,
                            TFunctionKind kind = TFunctionKind::Normal) {
        TNormalFunction* f = nullptr;
        const std::int32_t symbol = Intern(name);
        if (kind == TFunctionKind::Constructor) f = new TConstructor(&cls, symbol);
        else if (kind == TFunctionKind::Destructor) f = new TDestructor(&cls, symbol);
        else f = new TNormalFunction(&cls, symbol);
        for (int i = 0; i < args; ++i) f->Arguments().push_back("a" + std::to_string(i));
        for (int i = 0; i < locals; ++i) f->Locals().push_back("l" + std::to_string(i));
        cls.AddOrReplaceMethod(f);
        // Function code always ends with Halt, which the peephole pass looks for.
        f->SetCode(assemble(std::string(text) + "; Halt", &cls));
        return *f;
    }

    void native(TRTTI& cls, const std::string& name, TNativeRoutine routine) {
        auto* f = new TNativeFunction(&cls, Intern(name));
        f->SetRoutine(routine);
        cls.AddMethod(f);
    }

    // A new instance that the world holds (count 1) until it ends.
    TfObject* make(TRTTI& cls) {
        TfObject* o = NewInstance(cls);
        m_holds.emplace_back();
        SetObject(m_holds.back(), o);
        return o;
    }

    // A new array holding values.
    TfObject* makeArray(std::initializer_list<TValue> values) {
        TfObject* a = make(*m_array);
        auto* list = new TElementList();
        for (const TValue& v : values) list->add(v);
        m_lists.push_back(list);
        a->member(ArrayListMember()) = TValue::Native(list->ref());
        return a;
    }

    TValue string(std::string_view text) {
        m_holds.emplace_back();
        SetString(m_holds.back(), text);
        return m_holds.back();
    }

    TValue& global(std::string_view name) { return *GlobalCell(name); }

    // Runs method on o (the class code when empty) slice after slice until it halts, and
    // gives its result as "kind:text" ("int:3", "float:3.5", "obj:ab", "error:Error #0").
    std::string call(TfObject* o, const std::string& methodName = {}, std::initializer_list<TValue> args = {}) {
        TProcess* p = TProcess::Create(*o, std::span<const TValue>(args.begin(), args.size()), methodName);
        for (int guard = 0; !p->halted() && guard < 1000; ++guard) p->Run(kRunBudget);
        std::string out = p->result() != nullptr ? Describe(*p->result()) : std::string("halted");
        if (p->errorState() == 2) out = "died";
        TProcess::Free(p);
        return out;
    }

    static std::string Describe(const TValue& v) {
        static const char* const kinds[] = {"null", "int", "float", "obj", "ref", "native", "error", "unset"};
        return std::string(kinds[static_cast<int>(v.tag) & 7]) + ":" + ToText(v);
    }

private:
    std::uint32_t resolve(std::string_view kind, std::string_view name) {
        if (kind == "global") {
            TValue* cell = GlobalCell(name);
            EXPECT_NE(cell, nullptr) << name;
            return cell != nullptr ? RefOf(cell) : 0;
        }
        if (kind == "class") {
            TRTTI* cls = FindClass(name);
            EXPECT_NE(cls, nullptr) << name;
            return cls != nullptr ? cls->ref() : 0;
        }
        if (kind == "fn") {
            const std::size_t dot = name.rfind('.');
            TRTTI* cls = FindClass(name.substr(0, dot));
            TFunction* f = cls != nullptr ? cls->MethodByName(name.substr(dot + 1)) : nullptr;
            EXPECT_NE(f, nullptr) << name;
            return f != nullptr ? f->ref() : 0;
        }
        ADD_FAILURE() << "operand kind " << kind;
        return 0;
    }

    THooksScope m_hooks;
    TMessageCapture m_messages;
    std::unique_ptr<TTestFolder> m_root;
    TRTTI* m_object = nullptr;
    TRTTI* m_string = nullptr;
    TRTTI* m_array = nullptr;
    std::vector<TValue> m_holds;
    std::vector<TElementList*> m_lists;
};

}  // namespace varno::test
