// Helpers for the resource-tree tests: a tree in a temporary directory, hooks restored afterwards, fakes of the upper layers.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/Path.h"
#include "resources/ResourceList.h"
#include "resources/ResourceLoader.h"
#include "resources/ResourceTree.h"
#include "resources/SystemPath.h"
#include "runtime/Alias.h"
#include "runtime/Hooks.h"
#include "runtime/Messages.h"
#include "runtime/RTTI.h"
#include "runtime/String.h"
#include "support/TestSupport.h"

namespace varno::test {

inline bool SameValue(const TValue& a, const TValue& b) { return a.tag == b.tag && a.payload == b.payload; }

// A program directory in a fresh temporary folder, made the resource base directory, with
// the runtime hooks, the evaluator and the root restored afterwards. The tree itself is
// made by the test (setRoot).
class TTreeFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedHooks = RuntimeHooks();
        SetProgramDir(m_dir.path());
        SetResourceBaseDir(programDir());
        InstallResourceHooks();
        SetScriptEvaluator([this](std::string_view text) {
            scripts.emplace_back(text);
            return evalResult;
        });
        TAlias::SetEnabled(true);
    }

    void TearDown() override {
        SetGlobalFolder(nullptr);
        SetRootResource(nullptr);
        m_root.reset();
        SetStringClass(nullptr);
        m_stringClass.reset();
        SetScriptEvaluator(nullptr);
        SetResourceBaseDir({});
        RuntimeHooks() = m_savedHooks;
    }

    // The program directory as a system path (backslashes).
    std::string programDir() const { return SystemPath(m_dir.path()); }
    const std::filesystem::path& hostDir() const { return m_dir.path(); }

    // Writes a file under the program directory (relative host path with slashes).
    std::string write(const std::string& relative, const std::string& text) {
        WriteBytes(m_dir.path() / relative, text);
        return SystemPath(m_dir.path() / relative);
    }

    // Makes root the tree's root, and its child usrglobal (when there is one) the folder
    // of globals.
    TResource& setRoot(std::unique_ptr<TResource> root) {
        m_root = std::move(root);
        SetRootResource(m_root.get());
        SetGlobalFolder(dynamic_cast<TResourceList*>(m_root->FindChild("usrglobal")));
        return *m_root;
    }
    TResource& setRoot(const std::string& text) { return setRoot(ReadResourceText(text)); }

    // A compiled string class, so that values can hold strings.
    void useStrings() {
        m_stringClass = std::make_unique<TRTTI>("teststring", "");
        m_stringClass->MemberIndexOf("_body");
        m_stringClass->SetCompiled(true);
        SetStringClass(m_stringClass.get());
    }

    std::vector<std::string> scripts;  // every text given to the evaluator, in order
    int evalResult = 0;

private:
    TTempDir m_dir;
    TRuntimeHooks m_savedHooks;
    std::unique_ptr<TResource> m_root;
    std::unique_ptr<TRTTI> m_stringClass;
};

}  // namespace varno::test
