// End-to-end runs of varno --headless --script over the script corpus, comparing what they print.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/TestSupport.h"

namespace varno {
namespace {

namespace fs = std::filesystem;

fs::path Program() { return fs::path(VARNO_BINARY_DIR) / "varno"; }
fs::path Corpus() { return test::DataPath("startup/scripts"); }

struct TRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the program with arguments in a program directory whose Kernel is the source tree's.
TRun RunProgram(const fs::path& root, const std::string& arguments) {
    const fs::path out = root / "stdout.txt";
    const fs::path err = root / "stderr.txt";
    const std::string command = Quote(Program().string()) + " --headless --root " + Quote(root.string()) + " " +
                                arguments + " >" + Quote(out.string()) + " 2>" + Quote(err.string());
    const int raw = std::system(command.c_str());
    TRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = test::ReadBytes(out);
    run.err = test::ReadBytes(err);
    return run;
}

// What a script file expects, from its comments: "// out: LINE" (standard output, in
// order), "// err: TEXT" (to be found in standard error) and "// exit: N" (default 0).
struct TExpectation {
    std::string out;
    std::vector<std::string> err;
    int status = 0;
};

TExpectation ReadExpectation(const fs::path& file) {
    TExpectation expectation;
    std::istringstream lines(test::ReadBytes(file));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("// out: ", 0) == 0) expectation.out += line.substr(8) + "\n";
        else if (line.rfind("// err: ", 0) == 0) expectation.err.push_back(line.substr(8));
        else if (line.rfind("// exit: ", 0) == 0) expectation.status = std::stoi(line.substr(9));
    }
    return expectation;
}

class ScriptRun : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        if (!fs::exists(Program())) GTEST_SKIP() << "the program is not built: " << Program();
        fs::create_directory_symlink(fs::absolute(fs::path(VARNO_TEST_DATA) / ".." / ".." / "Kernel"),
                                     m_root.path() / "Kernel");
    }
    const fs::path& root() const { return m_root.path(); }

private:
    test::TTempDir m_root;
};

TEST_P(ScriptRun, PrintsWhatTheCorpusExpects) {
    const fs::path file = Corpus() / GetParam();
    const TExpectation expected = ReadExpectation(file);
    for (int start = 1; start <= 2; ++start) {  // the second start runs from the compiled-class cache
        const TRun run = RunProgram(root(), "--script " + Quote(file.string()));
        EXPECT_EQ(run.status, expected.status) << run.err;
        EXPECT_EQ(run.out, expected.out) << "start " << start;
        for (const std::string& text : expected.err) EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
        if (expected.err.empty()) {
            EXPECT_EQ(run.err, "") << "start " << start;
        }
    }
}

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(Corpus())) {
        if (entry.path().extension() == ".varno") files.push_back(entry.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

INSTANTIATE_TEST_SUITE_P(Corpus, ScriptRun, ::testing::ValuesIn(CorpusFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = fs::path(info.param).stem().string();
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

TEST_F(ScriptRun, FilesAndKernelsThatAreNotThere) {
    TRun run = RunProgram(root(), "--script " + Quote((root() / "absent.varno").string()));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("cannot read"), std::string::npos);

    test::TTempDir empty;  // a program directory without a kernel
    test::WriteBytes(empty.path() / "ok.varno", "x = 1;");
    run = RunProgram(empty.path(), "--script " + Quote((empty.path() / "ok.varno").string()));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("resource.varnores is not found."), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(empty.path() / "Temp" / "c123_okvarno"));
}

TEST_F(ScriptRun, AScriptWithoutOutputSucceedsQuietly) {
    test::WriteBytes(root() / "quiet.varno", "x = 1 + 2;\r\ny = x;\r\n");
    const TRun run = RunProgram(root(), "--script " + Quote((root() / "quiet.varno").string()));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(fs::exists(root() / "Temp" / "c123_kernelclasseslangObjectvarno"));
}

TEST_F(ScriptRun, CheckCompilesAgainstTheKernel) {
    struct TCase {
        const char* source;
        int status;
        const char* error;  // after "FILE:"
    };
    const TCase cases[] = {
        {"function f(a) { return a + 1; }\ny = f(2);\n", 0, ""},
        {"x = 1;\ny = new Nope();\n", 1, "2:15: Probe:Nope is not defined.\n"},
        {"extends Missing;\nx = 1;\n", 1, "1:1: Probe:Missing is undefined.\n"},
        {"x = ;\n", 1, "1:3: Syntax Error\n"},
    };
    const fs::path file = root() / "Probe.varno";
    for (const TCase& c : cases) {
        test::WriteBytes(file, c.source);
        const TRun run = RunProgram(root(), "--check " + Quote(file.string()));
        EXPECT_EQ(run.status, c.status) << c.source;
        EXPECT_EQ(run.err, c.status == 0 ? std::string() : file.string() + ":" + c.error) << c.source;
    }
}

TEST_F(ScriptRun, ListPrintsEveryBlockOfTheClass) {
    const fs::path file = root() / "Listed.varno";
    test::WriteBytes(file, "function f(a) { return a + 1; }\ny = f(2);\n");
    const TRun run = RunProgram(root(), "--list " + Quote(file.string()));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("class Listed\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("function f(a)\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(":SCall 1,"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace varno
