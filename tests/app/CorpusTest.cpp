// The script corpus: class sources compiled against the kernel and run, with what they
// print, report and fail with written in their own comments; and evaluation of texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/MessageBox.h"
#include "base/Text.h"
#include "base/Path.h"
#include "compiler/Compiler.h"
#include "resources/ClassCache.h"
#include "resources/SystemPath.h"
#include "runtime/ElementList.h"
#include "runtime/Function.h"
#include "runtime/Eval.h"
#include "runtime/KernelClasses.h"
#include "runtime/Messages.h"
#include "runtime/MultiEvaluator.h"
#include "runtime/NativeContract.h"
#include "runtime/Process.h"
#include "runtime/RTTI.h"
#include "runtime/Resource.h"
#include "runtime/RuntimeError.h"
#include "runtime/String.h"
#include "runtime/ValueOps.h"
#include "startup/Boot.h"
#include "support/TestSupport.h"

namespace varno {
namespace {

namespace fs = std::filesystem;

fs::path CorpusDir() { return fs::path(VARNO_TEST_DATA) / ".." / "corpus"; }
fs::path SourceKernel() { return fs::path(VARNO_TEST_DATA) / ".." / ".." / "Kernel"; }

// ---- The test-side natives: output and the few kernel natives the corpus needs. ----
// (The core native library binds the real ones; these only have to be faithful enough
// for the language features under test.)

std::string& Output() {
    static std::string text;
    return text;
}

void Print(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) Output() += ToText(call.arg(1)) + "\n";
}
void Suspend(TValue*, std::int32_t, std::int32_t) { TNativeCall::suspend(); }
void Trunc(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) call.setInt(static_cast<std::int32_t>(TruncToInt64(ToFloat(call.arg(1)))));
}
void FreeBody(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) FreeStringBody(NativeOf<TfString>(call.arg(1)));
}
TElementList* ListArg(const TNativeCall& call) { return call.has(1) ? NativeOf<TElementList>(call.arg(1)) : nullptr; }
void ListInit(TValue* slot, std::int32_t n, std::int32_t) { TNativeCall(slot, n).setNative(new TElementList()); }
void ListAdd(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (TElementList* list = ListArg(call); list != nullptr && call.has(2)) list->add(call.arg(2));
}
void ListGet(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    TElementList* list = ListArg(call);
    const std::int32_t i = call.has(2) ? ToInt(call.arg(2)) : -1;
    if (list == nullptr || i < 0 || i >= list->count()) throw ERuntimeError("index " + std::to_string(i));
    call.assign(list->at(i));
}
void ListSize(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (TElementList* list = ListArg(call)) call.setFloat(static_cast<float>(list->count()));
}
void ListFree(TValue* slot, std::int32_t n, std::int32_t) { delete ListArg(TNativeCall(slot, n)); }

// Binds routine unless the core native library has bound the method already.
void BindIfMissing(TRTTI& cls, const char* name, TNativeRoutine routine) {
    TFunction* f = cls.MethodByName(name);
    if (f != nullptr && !f->isByteCode() && static_cast<TNativeFunction*>(f)->Routine() == NativeNotImplemented) {
        BindNative(cls, name, routine);
    }
}

void BindTestNatives() {
    TRTTI* object = FindClass("classes.lang.Object");
    BindNative(*object, "print", Print);  // always: the test reads what is printed
    BindIfMissing(*object, "suspend", Suspend);
    BindIfMissing(*object, "trunc", Trunc);
    BindIfMissing(*FindClass("classes.lang.String"), "_free_body", FreeBody);
    TRTTI* array = FindClass("classes.lang.Array");
    BindIfMissing(*array, "native_init", ListInit);
    BindIfMissing(*array, "native_add", ListAdd);
    BindIfMissing(*array, "native_get", ListGet);
    BindIfMissing(*array, "native_size", ListSize);
    BindIfMissing(*array, "native_free", ListFree);
}

// ---- What a corpus file expects, from its comments ----
//   // out: LINE            printed lines, in order
//   // report: TEXT         a report containing TEXT was shown, and the run went on
//   // error: TEXT          the run ended with a run-time error containing TEXT
//   // compile-error: TEXT  compiling failed with a message containing TEXT
// Without report or error lines, nothing at all may be shown. The files of the corpus's
// "lib" folder are classes every file may use, compiled first, named after the files.

struct TExpectation {
    std::string out;
    std::vector<std::string> reports;
    std::optional<std::string> error;
    std::optional<std::string> compileError;
};

TExpectation ReadExpectation(const std::string& source) {
    TExpectation expected;
    std::istringstream lines(source);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto take = [&](std::string_view key) -> std::optional<std::string> {
            const std::size_t at = line.find(key);
            if (at == std::string::npos) return std::nullopt;
            return line.substr(at + key.size());
        };
        // Expectations are written in UTF-8; the system's messages are Shift-JIS.
        if (auto v = take("// out: ")) expected.out += *v + "\n";
        else if (line.ends_with("// out:")) expected.out += "\n";
        else if (auto v = take("// report: ")) expected.reports.push_back(Utf8ToSjis(*v));
        else if (auto v = take("// error: ")) expected.error = Utf8ToSjis(*v);
        else if (auto v = take("// compile-error: ")) expected.compileError = Utf8ToSjis(*v);
    }
    return expected;
}

bool StartsWithExtends(const std::string& source) {
    std::size_t i = 0;
    while (i < source.size()) {
        if (static_cast<unsigned char>(source[i]) <= ' ') {
            ++i;
        } else if (source.compare(i, 2, "//") == 0) {
            i = source.find('\n', i);
            if (i == std::string::npos) return false;
        } else {
            break;
        }
    }
    return source.compare(i, 7, "extends") == 0;
}

// A class under the root named after the file, compiled from its text; the diagnostic when
// it did not compile.
std::optional<std::string> CompileFile(const fs::path& file, std::vector<TRTTI*>& made) {
    std::string source = test::ReadBytes(file);
    if (!StartsWithExtends(source)) source = "extends classes.lang.Object;" + source;
    auto owned = std::make_unique<TRTTI>(file.stem().string(), file.string(), "corpus");
    TRTTI& cls = *owned;
    RootResource()->AddChild(std::move(owned));
    made.push_back(&cls);
    const auto error = CompileSource(cls, source, RootResource());
    if (error) return error->message;
    if (!cls.Compiled()) return std::string("not compiled");
    return std::nullopt;
}

class Corpus : public ::testing::TestWithParam<std::string> {
public:
    static void SetUpTestSuite() {
        s_dir = new test::TTempDir();
        fs::create_directory_symlink(fs::absolute(SourceKernel()), s_dir->path() / "Kernel");
        SetProgramDir(s_dir->path());
        InstallHostLayers();
        Boot();
        BindTestNatives();
    }
    static void TearDownTestSuite() {
        ShutdownKernel();
        SetResourceBaseDir({});
        delete s_dir;
        s_dir = nullptr;
    }

protected:
    // The classes a test compiled stay in the tree until the suite ends: objects of the
    // kernel may still hold their instances (an object at count 0 keeps its members until
    // its block is reused), and only shutting the kernel down frees both safely.
    std::vector<TRTTI*> m_made;

private:
    static test::TTempDir* s_dir;
};

test::TTempDir* Corpus::s_dir = nullptr;

TEST_P(Corpus, RunsAsItsCommentsSay) {
    const fs::path file = CorpusDir() / GetParam();
    const TExpectation expected = ReadExpectation(test::ReadBytes(file));
    Output().clear();
    ProcessGlobals().lastReport.clear();
    TMessageCapture messages;

    // The library classes first (in name order: a superclass sorts before its subclasses).
    std::vector<fs::path> library;
    for (const auto& entry : fs::directory_iterator(CorpusDir() / "lib")) library.push_back(entry.path());
    std::sort(library.begin(), library.end());
    for (const fs::path& lib : library) ASSERT_EQ(CompileFile(lib, m_made), std::nullopt) << lib;

    const std::optional<std::string> compileError = CompileFile(file, m_made);
    if (expected.compileError) {
        ASSERT_TRUE(compileError.has_value()) << "compiled";
        EXPECT_NE(compileError->find(*expected.compileError), std::string::npos) << *compileError;
        return;
    }
    ASSERT_EQ(compileError, std::nullopt);

    TProcess* process = TProcess::Create(*NewInstance(*m_made.back()));
    process->pin();
    for (int run = 0; run < 1000 && !process->halted(); ++run) process->Run(kRunBudget);
    const bool died = process->errorState() == 2;
    const bool halted = process->halted();
    TProcess::Free(process);
    process->unpin();

    EXPECT_TRUE(halted) << "still running after 1000 runs";
    EXPECT_EQ(Output(), expected.out);
    for (const std::string& report : expected.reports) {
        EXPECT_NE(messages.text().find(report), std::string::npos) << "no report " << report << " in\n" << messages.text();
    }
    if (expected.error) {
        EXPECT_TRUE(died) << "the run did not fail";
        EXPECT_NE(messages.text().find(*expected.error), std::string::npos) << messages.text();
    } else {
        EXPECT_FALSE(died) << messages.text();
    }
    if (expected.reports.empty() && !expected.error) {
        EXPECT_EQ(messages.text(), "");
    }
}

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(CorpusDir())) {
        const fs::path& path = entry.path();
        if (path.extension() != ".varno" || path.parent_path() == CorpusDir() / "lib") continue;
        files.push_back(fs::relative(path, CorpusDir()).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

INSTANTIATE_TEST_SUITE_P(Scripts, Corpus, ::testing::ValuesIn(CorpusFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param.substr(0, info.param.size() - 6);
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

// ---- Evaluation of texts, against the same booted kernel ----

class Evaluation : public Corpus {};

TEST_F(Evaluation, TextsRunToCompletionAndTalkThroughGlobals) {
    TMessageCapture messages;
    const std::int32_t n = EvalCount();
    EXPECT_EQ(Eval("$x=1;"), kEvalOk);
    EXPECT_EQ(ToText(*GlobalCell("$x")), "1");
    EXPECT_EQ(Eval("extends Object; i = 0; while (i < 100000) i++; $x = i;"), kEvalOk) << "over several budgets";
    EXPECT_EQ(ToText(*GlobalCell("$x")), "100000");
    EXPECT_EQ(EvalCount(), n + 2);

    const TValue* value = EvalValue("6 * 7");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(ToText(*value), "42");
    EXPECT_EQ(ToText(*EvalValue("\"a\" + 1")), "a1");
    EXPECT_EQ(messages.text(), "");
}

TEST_F(Evaluation, ErrorsAreCodesAndTheCallerGoesOn) {
    TMessageCapture messages;
    const std::int32_t n = EvalCount();
    EXPECT_EQ(Eval("$x = ;"), kEvalCompileError);
    EXPECT_EQ(EvalCount(), n + 1) << "a failed text still takes its number";
    EXPECT_NE(messages.text().find("Syntax Error"), std::string::npos) << messages.text();
    EXPECT_EQ(Eval("$x = 1 / 0;"), kEvalRunError);
    EXPECT_NE(messages.text().find(Utf8ToSjis("ゼロによる除算")), std::string::npos);
    EXPECT_EQ(Eval("$y = 2;"), kEvalOk);
}

TEST_F(Evaluation, ACheckpointedProgramTellsHowFarItGot) {
    TMessageCapture messages;
    TMultiEvaluator program;
    program.Add("$a = 1;");
    program.Add("$b = 1 / 0;");
    program.Add("$c = 3;");
    EXPECT_EQ(Eval(program.Text()), kEvalRunError);
    EXPECT_EQ(ToText(*GlobalCell("$_exec_checkPoint")), "1") << "the statement before the failing one";
    TMultiEvaluator fine;
    fine.Add("$a = 2;");
    fine.Add("$c = 3;");
    EXPECT_EQ(Eval(fine.Text()), kEvalOk);
    EXPECT_EQ(ToText(*GlobalCell("$_exec_checkPoint")), "2");
}

}  // namespace
}  // namespace varno
