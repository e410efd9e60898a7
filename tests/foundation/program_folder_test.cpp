#include "foundation/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "foundation/errors.h"
#include "tests/support/temp_dir.h"

namespace {

// Sets an environment variable for one test and puts the old value back.
struct EnvVar {
    std::string name;
    std::string old;
    bool had = false;
    EnvVar(const char* n, const char* value) : name(n) {
        if (const char* v = std::getenv(n)) {
            had = true;
            old = v;
        }
        if (value) ::setenv(n, value, 1);
        else ::unsetenv(n);
    }
    ~EnvVar() {
        if (had) ::setenv(name.c_str(), old.c_str(), 1);
        else ::unsetenv(name.c_str());
    }
};

}  // namespace

TEST(ProgramFolder, HomeVariableWinsAndOnlyCreatingMakesIt) {
    TempDir dir;
    EnvVar home("HARROWIN_HOME", (dir / "home/").c_str());
    EXPECT_EQ(ProgramFolder(), dir / "home");
    EXPECT_FALSE(std::filesystem::exists(dir / "home"));
    EXPECT_EQ(CreateProgramFolder(), dir / "home");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "home"));
    // A file in the way is reported, not taken for the folder.
    EnvVar cast("HARROWINCAST_HOME", dir.Write("file", "x").c_str());
    EXPECT_THROW(CreateProgramFolder(TProgramKind::HarrowinCast), EFileError);
}

TEST(ProgramFolder, XdgDataHomeThenHome) {
    TempDir dir;
    EnvVar h1("HARROWIN_HOME", nullptr);
    EnvVar h2("HARROWINCAST_HOME", nullptr);
    {
        EnvVar xdg("XDG_DATA_HOME", (dir / "xdg").c_str());
        EXPECT_EQ(ProgramFolder(), dir / "xdg/Harrowin");
        EXPECT_EQ(ProgramFolder(TProgramKind::HarrowinCast), dir / "xdg/HarrowinCast");
    }
    EnvVar xdg("XDG_DATA_HOME", nullptr);
    {
        EnvVar user("HOME", dir.Path().c_str());
        EXPECT_EQ(ProgramFolder(), dir / ".local/share/Harrowin");
    }
    // No place of the user's own: no folder that every user shares either.
    EnvVar user("HOME", nullptr);
    EXPECT_THROW(ProgramFolder(), EFileError);
}

TEST(ProgramFolder, ShippedFilesPreferTheProgramFolder) {
    TempDir dir;
    EnvVar home("HARROWIN_HOME", dir.Path().c_str());
    // Not anywhere: the program-folder path is given (the caller reports it missing).
    EXPECT_EQ(FindShippedFile("manual/index.html"), dir / "manual/index.html");
    dir.Write("manual/index.html", std::string("<html></html>"));
    EXPECT_EQ(FindShippedFile("manual/index.html"), dir / "manual/index.html");
    EXPECT_FALSE(ExecutableFolder().empty());
}
