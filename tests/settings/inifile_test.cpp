#include "settings/inifile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "framework/utf8path.h"
#include "tempfolder.h"

namespace fs = std::filesystem;
using lumivox::Utf8Path;

namespace {

constexpr fs::perms kReadOnly =
    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;

TEST(TIniFileTest, OpeningAndReadingTouchNoFile) {
    TempFolder folder;
    {
        TIniFile ini(folder.File("lvvoxclk.db"));
        EXPECT_EQ(ini.ReadString("Common", "HourCounter", "0"), "0");
        EXPECT_EQ(ini.ReadInteger("Common", "IsHour", 0), 0);
        EXPECT_FALSE(ini.SectionExists("Common"));
        ini.UpdateFile();
    }
    EXPECT_EQ(folder.Count(), 0u);
}

struct IntegerCase {
    const char* stored;
    int expected;
};

class TIniFileInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(TIniFileInteger, ReadsTheStoredTextOrTheDefault) {
    TempFolder folder;
    const std::string path = folder.File("lvvoxclk.db");
    TempFolder::Write(path, std::string("[Common]\r\nIsHour=") + GetParam().stored + "\r\n");
    EXPECT_EQ(TIniFile(path).ReadInteger("Common", "IsHour", 42), GetParam().expected)
        << GetParam().stored;
}

INSTANTIATE_TEST_SUITE_P(Table, TIniFileInteger,
                         ::testing::Values(IntegerCase{"1", 1}, IntegerCase{"-1", -1},
                                           IntegerCase{"2", 2}, IntegerCase{"$10", 16},
                                           IntegerCase{"0x10", 16}, IntegerCase{"0X1f", 31},
                                           IntegerCase{"0x", 42}, IntegerCase{"yes", 42},
                                           IntegerCase{"", 42}, IntegerCase{" 5 ", 5},
                                           IntegerCase{"99999999999", 42}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(TIniFileTest, WritesReachTheFileAtUpdateAndKeepTheRest) {
    TempFolder folder;
    const std::string path = folder.File("lvvoxclk.db");
    TempFolder::Write(path, "; mine\r\n[Common]\r\nIsHour=0\r\n[Other]\r\nName=\xD6\xD0\r\n");
    TIniFile ini(path);
    ini.WriteInteger("Common", "IsHour", 1);
    ini.WriteString("Common", "PerMinute", "abc");
    ini.UpdateFile();
    EXPECT_EQ(TempFolder::Read(path),
              "; mine\r\n[Common]\r\nIsHour=1\r\nPerMinute=abc\r\n[Other]\r\nName=\xD6\xD0\r\n");
    EXPECT_EQ(folder.Count(), 1u); // no temporary file left
    EXPECT_EQ(ini.ReadString("Common", "PerMinute", ""), "abc");
}

TEST(TIniFileTest, ReleaseFlushesWrites) {
    TempFolder folder;
    const std::string path = folder.File("lvvoxclk.db");
    { TIniFile(path).WriteString("Common", "HourCounter", "5"); }
    EXPECT_EQ(TempFolder::Read(path), "[Common]\r\nHourCounter=5\r\n");
}

TEST(TIniFileTest, ReadOnlyFileRefusesTheWriteAndStaysAsItWas) {
    TempFolder folder;
    const std::string path = folder.File("lvvoxclk.db");
    const std::string before = "[Common]\r\nIsHour=0\r\n";
    TempFolder::Write(path, before);
    fs::permissions(Utf8Path(path), kReadOnly);
    {
        TIniFile ini(path);
        try {
            ini.WriteInteger("Common", "IsHour", 1);
            FAIL() << "write to a read-only file succeeded";
        } catch (const EIniFileException& e) {
            EXPECT_STREQ(e.what(), ("Unable to write to " + path).c_str());
            const std::exception& base = e;
            EXPECT_STREQ(base.what(), e.what());
        }
    }
    EXPECT_EQ(TempFolder::Read(path), before);
    EXPECT_EQ(fs::status(Utf8Path(path)).permissions(), kReadOnly);
    EXPECT_EQ(folder.Count(), 1u);
}

TEST(TIniFileTest, MissingFolderRefusesTheWrite) {
    TempFolder folder;
    const std::string path = folder.File("absent/lvvoxclk.db");
    TIniFile ini(path);
    EXPECT_THROW(ini.WriteString("Common", "IsHour", "1"), EIniFileException);
    EXPECT_NO_THROW(ini.UpdateFile());
    EXPECT_FALSE(fs::exists(folder.path() / "absent"));
}

// Folder permissions, symbolic links, and death tests whose child shares the
// parent's folder (Windows re-runs the whole test in a new process) are POSIX matters.
#ifndef _WIN32
// A folder that refuses new files, for a user the permissions bind.
TEST(TIniFileDeathTest, FolderRefusingTheTemporaryFileLeavesTheFileAlone) {
    TempFolder folder;
    const std::string path = folder.File("lvvoxclk.db");
    const std::string before = "[Common]\r\nIsHour=0\r\n";
    TempFolder::Write(path, before);
    fs::permissions(Utf8Path(path), fs::perms::all);
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                       fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(folder.path().parent_path(), fs::perms::others_exec, fs::perm_options::add);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                std::_Exit(2);
            TIniFile ini(path);
            try {
                ini.WriteInteger("Common", "IsHour", 1);
            } catch (const EIniFileException&) {
                std::_Exit(0);
            }
            std::_Exit(1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(TempFolder::Read(path), before);
    EXPECT_EQ(folder.Count(), 1u);
}

TEST(TIniFileDeathTest, SaveInterruptedBeforeTheReplaceLeavesTheOldFile) {
    TempFolder folder;
    const std::string path = folder.File("lvvoxclk.db");
    const std::string before = "[Common]\r\nIsHour=0\r\n";
    TempFolder::Write(path, before);
    // The child dies as a power cut would: no destructors, no clean-up.
    EXPECT_EXIT(
        {
            TIniFile ini(path);
            ini.SetBeforeReplaceForTesting([] { std::_Exit(7); });
            ini.WriteInteger("Common", "IsHour", 1);
            ini.UpdateFile();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(7), "");
    EXPECT_EQ(TempFolder::Read(path), before);

    // The new content had been written in full beside it.
    std::string leftover;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        if (entry.path() != Utf8Path(path))
            leftover = TempFolder::Read(lumivox::PathUtf8(entry.path()));
    EXPECT_EQ(leftover, "[Common]\r\nIsHour=1\r\n");

    // A later save is not disturbed by what the crash left.
    {
        TIniFile ini(path);
        ini.WriteInteger("Common", "IsHour", 2);
        ini.UpdateFile();
    }
    EXPECT_EQ(TempFolder::Read(path), "[Common]\r\nIsHour=2\r\n");
}

TEST(TIniFileTest, ReplacingKeepsPermissionsAndLinks) {
    TempFolder folder;
    const std::string real = folder.File("real.db");
    const std::string link = folder.File("lvvoxclk.db");
    TempFolder::Write(real, "[Common]\nk=1\n");
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(Utf8Path(real), mode);
    fs::create_symlink(Utf8Path(real), Utf8Path(link));
    {
        TIniFile ini(link);
        ini.WriteString("Common", "k", "2");
    }
    EXPECT_TRUE(fs::is_symlink(Utf8Path(link)));
    EXPECT_EQ(TempFolder::Read(real), "[Common]\nk=2\n");
    EXPECT_EQ(fs::status(Utf8Path(real)).permissions(), mode);
}
#endif

} // namespace
