#include "foundation/console_runner.h"

#include <sstream>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

struct RunResult {
    uint32_t code = 0;
    std::string out, err;
};

RunResult RunShell(const std::string& script, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    RunResult r;
    r.code = RunConsole("/bin/sh -c \"" + script + "\"", in, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

}  // namespace

TEST(SplitCommandLine, QuotesGroupWords) {
    EXPECT_EQ(SplitCommandLine("fsck.vfat -n /dev/sdb1"), (std::vector<std::string>{"fsck.vfat", "-n", "/dev/sdb1"}));
    EXPECT_EQ(SplitCommandLine("  \"/media/my ipod/x\"\targ  "), (std::vector<std::string>{"/media/my ipod/x", "arg"}));
    EXPECT_EQ(SplitCommandLine("a \"\" b"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(RunConsole, CollectsBothStreamsAndTheExitCode) {
    RunResult r = RunShell("printf out; printf err >&2; exit 3");
    EXPECT_EQ(r.code, 3u);
    EXPECT_EQ(r.out, "out");
    EXPECT_EQ(r.err, "err");
}

TEST(RunConsole, OnlyStandardErrorLeavesOutputEmpty) {
    RunResult r = RunShell("echo problem >&2");
    EXPECT_EQ(r.code, 0u);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "problem\n");
}

TEST(RunConsole, EmptyInputIsAtItsEndAtOnce) {
    RunResult r = RunShell("cat; echo done");
    EXPECT_EQ(r.out, "done\n");
}

TEST(RunConsole, InputReachesTheChildFromTheStreamPosition) {
    std::istringstream in("skipped|fed to the child");
    in.seekg(8);
    std::ostringstream out, err;
    EXPECT_EQ(RunConsole("cat", in, out, err), 0u);
    EXPECT_EQ(out.str(), "fed to the child");
}

TEST(RunConsole, OutputIsAppendedAtTheStreamPosition) {
    std::istringstream in;
    std::ostringstream out("before:", std::ios::ate), err;
    RunConsole("echo after", in, out, err);
    EXPECT_EQ(out.str(), "before:after\n");
}

TEST(RunConsole, LargeOutputOnBothPipesAndLargeInputAreNotLost) {
    // Far more than a pipe holds, on both pipes at once, then an immediate exit.
    RunResult r = RunShell(
        "head -c 3000000 /dev/zero | tr '\\0' o; head -c 2000000 /dev/zero | tr '\\0' e >&2; "
        "head -c 1500000 /dev/zero | tr '\\0' O; exit 7");
    EXPECT_EQ(r.code, 7u);
    EXPECT_EQ(r.out.size(), 4500000u);
    EXPECT_EQ(r.err.size(), 2000000u);
    EXPECT_EQ(r.out.find_first_not_of('o'), 3000000u);
    EXPECT_EQ(r.err.find_first_not_of('e'), std::string::npos);

    // A child that echoes a big input while it reads it: input and output pass together.
    std::string big(3 * 1024 * 1024, 'x');
    for (size_t i = 0; i < big.size(); i += 4096) big[i] = '\n';
    RunResult echo = RunShell("cat", big);
    EXPECT_EQ(echo.out, big);
}

TEST(RunConsole, ChildThatIgnoresItsInputDoesNotStall) {
    std::string big(2 * 1024 * 1024, 'i');
    RunResult r = RunShell("echo quick", big);
    EXPECT_EQ(r.code, 0u);
    EXPECT_EQ(r.out, "quick\n");
}

TEST(RunConsole, ABackgroundHelperHoldingThePipesDoesNotBlockTheEnd) {
    RunResult r = RunShell("(sleep 5 &) ; echo parent");
    EXPECT_EQ(r.out, "parent\n");
    EXPECT_EQ(r.code, 0u);
}

TEST(RunConsole, AHelperThatNeverStopsWritingDoesNotHoldTheEnd) {
    // The child leaves a writer behind on both pipes and ends: the run ends with the child,
    // and what the child itself wrote last is still collected.
    RunResult r = RunShell("(yes &); (yes >&2 &); sleep 0.2; echo parent-done; exit 4");
    EXPECT_EQ(r.code, 4u);
    EXPECT_NE(r.out.find("parent-done\n"), std::string::npos);
    EXPECT_FALSE(r.err.empty());
}

TEST(RunConsole, ChildEndedBySignal) {
    RunResult r = RunShell("kill -9 $$");
    EXPECT_EQ(r.code, 128u + 9u);
}

TEST(RunConsole, MissingProgramRaisesLaunchFailed) {
    std::istringstream in;
    std::ostringstream out, err;
    try {
        RunConsole("no-such-program-anywhere-xyz --flag", in, out, err);
        FAIL() << "no exception";
    } catch (const ELaunchFailed& e) {
        EXPECT_EQ(e.Message(), "CreateProcess() failed!");
    }
    EXPECT_THROW(RunConsole("", in, out, err), ELaunchFailed);
    TempDir dir;
    std::string not_executable = dir.Write("script.sh", "#!/bin/sh\necho hi\n");
    EXPECT_THROW(RunConsole(not_executable, in, out, err), ELaunchFailed);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "");
}
