#include "TemporaryHome.h"
#include "TestFiles.h"

#include "rules/RuleStore.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ondrel {
namespace {

namespace fs = std::filesystem;

const fs::path kData = ONDRELCTL_TEST_DATA;

struct RunResult
{
    int status = -1;
    std::string out;
    std::string err;
};

// Runs ondrelctl with args in the current environment, its standard output and error going to
// the given files (files, not pipes, so nothing can block); the exit status, or -1 when it did
// not exit normally.
int spawnCtl(const std::vector<std::string>& args, const fs::path& outFile, const fs::path& errFile)
{
    const auto quoted = [](const std::string& text) {
        std::string result = "'";
        for (const char c : text)
            result += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return result + "'";
    };
    std::string command = quoted(ONDRELCTL_PATH);
    for (const std::string& arg : args)
        command += ' ' + quoted(arg);
    command += " >" + quoted(outFile) + " 2>" + quoted(errFile);
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

RunResult runCtl(const std::vector<std::string>& args, const fs::path& scratch)
{
    RunResult result;
    result.status = spawnCtl(args, scratch / "stdout", scratch / "stderr");
    result.out = test::readFile(scratch / "stdout");
    result.err = test::readFile(scratch / "stderr");
    return result;
}

class OndrelctlTest : public testing::Test
{
protected:
    RunResult run(const std::vector<std::string>& args) { return runCtl(args, m_home.root()); }
    fs::path userRulesFile() const { return m_home.dataHome() / "Ondrel" / "rules.json"; }

    test::TemporaryHome m_home;
};

// ---------------------------------------------------------------- exit codes and output

struct CtlCase
{
    const char* label;
    std::vector<std::string> args; // "@name" (also "--opt=@name"): that data file
    int status;
    std::optional<std::string> out; // exact stdout, when it matters
    std::string errContains;        // empty: stderr must be empty
};

std::ostream& operator<<(std::ostream& out, const CtlCase& c)
{
    return out << c.label;
}

class OndrelctlCaseTest : public OndrelctlTest, public testing::WithParamInterface<CtlCase>
{};

TEST_P(OndrelctlCaseTest, ExitStatusAndOutput)
{
    const CtlCase& c = GetParam();
    std::vector<std::string> args;
    for (const std::string& arg : c.args) {
        const std::size_t at = arg.starts_with('@') ? 0 : arg.find("=@");
        const std::size_t name = at == 0 ? 1 : at + 2;
        args.push_back(at == std::string::npos
                           ? arg
                           : arg.substr(0, name - 1) + (kData / arg.substr(name)).string());
    }

    const RunResult result = run(args);
    EXPECT_EQ(result.status, c.status);
    if (c.out) {
        EXPECT_EQ(result.out, *c.out);
    }
    if (c.errContains.empty()) {
        EXPECT_EQ(result.err, "");
    } else {
        EXPECT_NE(result.err.find(c.errContains), std::string::npos) << result.err;
        EXPECT_TRUE(result.err.ends_with('\n'));
    }
    if (c.status == 2) { // a rejection is exactly one line
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

const std::string kDomain = "3F2504E0-4F89-11D3-9A0C-0305E82C3302\tExample domain\n";
const std::string kTerminal = "3F2504E0-4F89-11D3-9A0C-0305E82C3303\tTerminal\n";

INSTANTIATE_TEST_SUITE_P(
    Check, OndrelctlCaseTest,
    testing::Values(
        CtlCase{"accepted", {"check", "@three-rules.json"}, 0, "3 rules\n", ""},
        CtlCase{"empty list", {"check", "@empty-list.json"}, 0, "0 rules\n", ""},
        CtlCase{"syntax error", {"check", "@syntax-error.json"}, 2, "", "syntax-error.json: "},
        CtlCase{"missing file", {"check", "@absent.json"}, 2, "", "no such file"}));

INSTANTIATE_TEST_SUITE_P(
    Match, OndrelctlCaseTest,
    testing::Values(
        CtlCase{"the url reaches the matching",
                {"match", "--app", "chromium", "--url", "https://www.example.com/", "--rules",
                 "@three-rules.json"},
                0,
                kDomain,
                ""},
        CtlCase{"application without url",
                {"match", "--rules=@three-rules.json", "--app", "debian-xterm"},
                0,
                kTerminal,
                ""},
        CtlCase{
            "no match", {"match", "--rules", "@three-rules.json", "--app", "chromium"}, 1, "", ""},
        CtlCase{"missing --app", {"match", "--rules", "@three-rules.json"}, 64, "", "--app"},
        CtlCase{"option without value", {"match", "--app"}, 64, "", "needs a value"},
        CtlCase{"repeated option", {"match", "--app", "a", "--app", "b"}, 64, "", "more than once"},
        CtlCase{"stray operand", {"match", "--app", "a", "extra"}, 64, "", "unexpected argument"},
        CtlCase{"unknown option", {"match", "--app", "a", "--colour"}, 64, "", "'--colour'"}));

INSTANTIATE_TEST_SUITE_P(
    UsageAndNormalize, OndrelctlCaseTest,
    testing::Values(CtlCase{"no command", {}, 64, "", "Usage: ondrelctl"},
                    CtlCase{"unknown command", {"frobnicate"}, 64, "", "unknown command"},
                    CtlCase{"unknown top option", {"--frob"}, 64, "", "unknown option"},
                    CtlCase{"normalize of a rejected file prints nothing",
                            {"normalize", "@fractional-time.json"},
                            2,
                            "",
                            "fractional-time.json"}));

TEST_F(OndrelctlTest, ContextOnAnUnsupportedWaylandSessionSaysWhy)
{
    m_home.setEnvironment("WAYLAND_DISPLAY", "wayland-0");
    m_home.setEnvironment("XDG_CURRENT_DESKTOP", "GNOME");
    m_home.setEnvironment("DISPLAY", ":31999");
    const RunResult result = run({"context"});
    EXPECT_EQ(result.status, 69);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("Smart paste is not available in this session: GNOME on Wayland"),
              std::string::npos)
        << result.err;
}

// ---------------------------------------------------------------- help texts

TEST_F(OndrelctlTest, HelpGoesToStandardOutput)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-h"}, {"normalize", "-h"}, {"match", "--app", "x", "--help"}}) {
        const RunResult result = run(args);
        EXPECT_EQ(result.status, 0) << args.front();
        EXPECT_TRUE(result.out.starts_with("Usage: ondrelctl")) << result.out;
        EXPECT_EQ(result.err, "");
    }
}

// ---------------------------------------------------------------- the user's rules file

TEST_F(OndrelctlTest, WithoutFileReadsTheUsersRulesFile)
{
    const RunResult missing = run({"check"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find(userRulesFile().string()), std::string::npos) << missing.err;

    fs::create_directories(userRulesFile().parent_path());
    fs::copy_file(kData / "three-rules.json", userRulesFile());
    EXPECT_EQ(run({"check"}).out, "3 rules\n");
    EXPECT_EQ(run({"match", "--app", "debian-xterm"}).out, kTerminal);
}

TEST_F(OndrelctlTest, NormalizePrintsExactlyWhatTheStoreWrites)
{
    const fs::path copy = m_home.root() / "rules.json";
    fs::copy_file(kData / "three-rules.json", copy);
    ASSERT_TRUE(rules::RuleStore(copy).save());
    const RunResult result = run({"normalize", (kData / "three-rules.json").string()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, test::readFile(copy));
    EXPECT_EQ(result.err, "");
}

TEST_F(OndrelctlTest, OutputThatCannotBeWrittenIsAFailure)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    const std::vector<std::string> args = {"normalize", (kData / "three-rules.json").string()};
    EXPECT_EQ(spawnCtl(args, "/dev/full", "/dev/null"), 74);
}

} // namespace
} // namespace ondrel
