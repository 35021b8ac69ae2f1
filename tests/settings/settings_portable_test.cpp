// Where the settings live when nothing overrides it. A single test: it puts a
// settings file beside this executable, which parallel tests must not see.
#include <QComboBox>
#include <QCoreApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

#include "formfixture.h"
#include "settings/platform/settingslocation.h"
#include "tempfolder.h"
#include "urlrecorder.h"

namespace fs = std::filesystem;

namespace {

struct RemoveOnExit {
    fs::path path;
    ~RemoveOnExit() {
        std::error_code ignored;
        fs::remove(path, ignored);
    }
};

TEST(SettingsPlace, BesideTheExecutableWhenAFileIsThereElseThePerUserFolder) {
    TempFolder home;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home.path().string()));
    lumivox::testing::UrlRecorder pages;
    const fs::path beside =
        fs::path(QCoreApplication::applicationDirPath().toStdString()) / "lvvoxclk.db";
    const RemoveOnExit cleanup{beside};
    const fs::path perUser =
        fs::path(
            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).toStdString()) /
        "lvvoxclk.db";
    ASSERT_EQ(perUser.string().rfind(home.path().string(), 0), 0u);

    // A portable copy: read and written beside the executable.
    TempFolder::Write(beside.string(), "[Common]\r\nHourCounter=5\r\n");
    EXPECT_EQ(lumivox::SettingsFilePath(""), beside.string());
    auto form = lumivox::testing::MakeForm("");
    EXPECT_EQ(form->Control<QComboBox>(Id::cbbHour)->currentIndex(), 5);
    form->close();
    form.reset();
    const std::string saved = TempFolder::Read(beside.string());
    EXPECT_EQ(saved.rfind("[Common]\r\nHourCounter=5\r\nMinuteCounter=10\r\n", 0), 0u);
    EXPECT_NE(saved.find("IsHalf=0\r\n"), std::string::npos);

    // A portable file without keys is never filled in.
    TempFolder::Write(beside.string(), "[Common]\r\n");
    form = lumivox::testing::MakeForm("");
    form->close();
    form.reset();
    EXPECT_EQ(TempFolder::Read(beside.string()), "[Common]\r\n");
    EXPECT_FALSE(fs::exists(perUser));

    // Installed: nothing beside the executable, so the per-user file is made at close.
    fs::remove(beside);
    EXPECT_EQ(lumivox::SettingsFilePath(""), perUser.string());
    form = lumivox::testing::MakeForm("");
    form->close();
    form.reset();
    EXPECT_FALSE(fs::exists(beside));
    const std::string made = TempFolder::Read(perUser.string());
    EXPECT_EQ(made.rfind("[Common]\r\nHourCounter=0\r\n", 0), 0u);
    EXPECT_NE(made.find("IsHalf=0\r\n"), std::string::npos);
}

} // namespace
