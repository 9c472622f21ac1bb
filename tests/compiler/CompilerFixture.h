// Helpers for the compiler tests: a resource tree built in code, compiling sources, code as text.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/Compiler.h"
#include "runtime/CaseFold.h"
#include "runtime/CompiledInfo.h"
#include "runtime/Hooks.h"
#include "runtime/RTTI.h"
#include "runtime/Resource.h"

namespace varno::test {

// A folder that owns its children.
class TFolder : public TResource {
public:
    explicit TFolder(std::string name) : TResource(std::move(name), "") {}
    const char* hostClassName() const override { return "TResourceList"; }

    template <class T>
    T& add(std::unique_ptr<T> child) {
        T& raw = *child;
        AddChild(std::move(child));
        return raw;
    }
    TFolder& folder(const std::string& name);

    void AddChild(std::unique_ptr<TResource> child) override;
    TResource* FindChild(std::string_view name) override;
    void InitStep(TInitContext& context) override;

private:
    std::vector<std::unique_ptr<TResource>> m_items;
};

// A global variable: a name and a value cell, named as the resource library names its kind.
class TGlobal : public TResource {
public:
    explicit TGlobal(std::string name) : TResource(std::move(name), "") {}
    const char* hostClassName() const override { return "TGlobalValue"; }
    TValue* ValueCell() override { return &m_value; }

private:
    TValue m_value;
};

// A tree for one test: root "kernel" with the folders "classes" and "usrglobal" (where "$"
// globals are created on first lookup), the compiler installed, and the runtime hooks
// restored afterwards.
class TCompilerTest : public ::testing::Test {
protected:
    TCompilerTest();
    ~TCompilerTest() override;

    TFolder& root() { return *m_root; }
    // A compiled class made in code, at a dotted folder path under the root ("classes.lang").
    TRTTI& addClass(const std::string& folderPath, const std::string& name,
                    std::initializer_list<const char*> members = {}, TRTTI* super = nullptr);
    // Declares a byte-code function (of the kind: "function", "constructor", "destructor")
    // or a native function on a class made in code.
    TFunction& addMethod(TRTTI& cls, const std::string& kind, const std::string& name);

    // A new, uncompiled class in the folder "usr" (its source path "usr\Name.varno").
    TRTTI& newClass(const std::string& name = "Test");
    // Compiles source as a new class; fails the test on a diagnostic.
    TRTTI& compile(std::string_view source, const std::string& name = "Test");
    // The diagnostic of compiling source as a new class: "message@offset", or "ok".
    std::string errorOf(std::string_view source, const std::string& name = "Test");

private:
    TRuntimeHooks m_savedHooks;
    TResource* m_savedRoot;
    std::unique_ptr<TFolder> m_root;
};

// The code as text, one instruction after another, separated by "; ". With unfuse (the
// default) a fused instruction is shown as the instructions it replaces, which is the code
// exactly as the generator wrote it. Operands: Push 10 / 1.5f / null / &$name (a global's
// cell, named by its record); PushString "text"; DMemberValPtr name; DCall argc,name;
// SCall argc,index; SuperCall and NativeCall argc,function name; Constructor argc,class;
// Is class; jumps with their distance.
std::string CodeText(const TCompiledInfo& info, bool unfuse = true);

// The words of a block; with unfuse, fused opcodes are replaced by the first instruction
// they stand for.
std::vector<std::uint32_t> Words(const TCompiledInfo& info, bool unfuse = true);

// The code of a byte-code method of cls, by name.
const TCompiledInfo& MethodCode(const TRTTI& cls, std::string_view name);

}  // namespace varno::test
