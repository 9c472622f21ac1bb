// Helpers for the runtime tests: classes built in code, a tiny folder node, a code assembler.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "runtime/CaseFold.h"
#include "runtime/CompiledInfo.h"
#include "runtime/Hooks.h"
#include "runtime/Opcodes.h"
#include "runtime/RTTI.h"
#include "runtime/Resource.h"
#include "runtime/String.h"
#include "runtime/Value.h"

namespace varno::test {

// A compiled class with the given members (and the superclass's first), ready to instantiate.
inline std::unique_ptr<TRTTI> MakeClass(const std::string& name, std::initializer_list<const char*> members,
                                        TRTTI* super = nullptr) {
    auto cls = std::make_unique<TRTTI>(name, "");
    if (super != nullptr) {
        cls->SetSuperClass(super);
        cls->InheritMethods();
        cls->InheritMembers();
    }
    for (const char* member : members) cls->MemberIndexOf(member);
    cls->SetCompiled(true);
    return cls;
}

// Installs a string class for the test's lifetime (and removes it afterwards).
class TStringClassScope {
public:
    TStringClassScope() : m_cls(MakeClass("String", {"_body"})) { SetStringClass(m_cls.get()); }
    ~TStringClassScope() { SetStringClass(nullptr); }
    TRTTI& cls() { return *m_cls; }

private:
    std::unique_ptr<TRTTI> m_cls;
};

// A folder that owns its children: enough of a tree for lookups and full names.
class TTestFolder : public TResource {
public:
    explicit TTestFolder(std::string name) : TResource(std::move(name), "") {}

    template <class T>
    T* add(std::unique_ptr<T> child) {
        T* raw = child.get();
        AddChild(std::move(child));
        return raw;
    }
    void AddChild(std::unique_ptr<TResource> child) override {
        child->SetParent(this);
        m_items.push_back(std::move(child));
    }
    TResource* FindChild(std::string_view name) override {
        for (auto& item : m_items) {
            if (SameText(item->Name(), name)) return item.get();
        }
        return nullptr;
    }
    void InitStep(TInitContext& context) override {
        for (auto& item : m_items) item->InitStep(context);
    }

private:
    std::vector<std::unique_ptr<TResource>> m_items;
};

// Makes a root for the test's lifetime.
class TRootScope {
public:
    TRootScope() : m_root(std::make_unique<TTestFolder>("root")) { SetRootResource(m_root.get()); }
    ~TRootScope() { SetRootResource(nullptr); }
    TTestFolder& root() { return *m_root; }

private:
    std::unique_ptr<TTestFolder> m_root;
};

// Sets one runtime hook for a scope and restores the previous hooks after it.
class THooksScope {
public:
    THooksScope() : m_saved(RuntimeHooks()) {}
    ~THooksScope() { RuntimeHooks() = m_saved; }

private:
    TRuntimeHooks m_saved;
};

// Assembles code words with their symbol records, as the code writer would.
class TAsm {
public:
    TAsm& op(TOpcode code, std::initializer_list<std::uint32_t> operands = {}) {
        word(static_cast<std::uint32_t>(code));
        for (std::uint32_t w : operands) word(w);
        return *this;
    }
    // The record is added at the current offset, before the instruction.
    TAsm& rec(std::int32_t kind, const std::string& text) {
        AddRecord(m_symbols, kind, pos(), text);
        return *this;
    }
    TAsm& pushInt(std::int32_t i) { return op(Op_Push, {static_cast<std::uint32_t>(tvInt), static_cast<std::uint32_t>(i)}); }
    TAsm& pushString(const std::string& s) {
        const auto length = static_cast<std::uint32_t>((s.size() + 4) & ~3u);
        op(Op_PushString, {length});
        std::string bytes = s;
        bytes.resize(length, '\0');
        m_code += bytes;
        return *this;
    }
    TAsm& word(std::uint32_t w) {
        char b[4];
        std::memcpy(b, &w, 4);
        m_code.append(b, 4);
        return *this;
    }
    std::uint32_t pos() const { return static_cast<std::uint32_t>(m_code.size()); }
    std::string& bytes() { return m_code; }
    std::unique_ptr<TCompiledInfo> info(TRTTI* cls = nullptr) {
        return std::make_unique<TCompiledInfo>(m_symbols, m_code, cls);
    }

private:
    std::string m_code;
    TSymInfoList m_symbols;
};

// The words of a block.
inline std::vector<std::uint32_t> Words(const TCompiledInfo& info) {
    std::vector<std::uint32_t> words;
    for (std::uint32_t at = 0; at + 4 <= info.size(); at += 4) words.push_back(info.word(at));
    return words;
}

}  // namespace varno::test
