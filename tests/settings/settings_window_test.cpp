#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QTest>

#include <QTimer>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "formfixture.h"
#include "tempfolder.h"
#include "urlrecorder.h"

namespace fs = std::filesystem;
using lumivox::testing::MakeForm;

namespace {

const std::string kDesignFile = "[Common]\r\n"
                                "HourCounter=0\r\n"
                                "MinuteCounter=10\r\n"
                                "SecondCounter=30\r\n"
                                "IsMinuteCounter=0\r\n"
                                "LastMinute=10\r\n"
                                "PerMinute=1\r\n"
                                "IsSecondCounter=0\r\n"
                                "LastSecond=30\r\n"
                                "PerSecond=1\r\n"
                                "IsLastOne=0\r\n"
                                "IsCircle=0\r\n"
                                "IsDispTop=0\r\n"
                                "IsHour=0\r\n"
                                "IsHalf=0\r\n"
                                "IsQuarter=0\r\n"
                                "IsQuiet=0\r\n"
                                "QuietFrom=22\r\n"
                                "QuietTo=7\r\n"
                                "Volume=100\r\n"
                                "IsMute=0\r\n"
                                "UntilHour=20\r\n"
                                "UntilMin=0\r\n"
                                "UntilSec=0\r\n"
                                "IsFollowDnd=0\r\n"
                                "HotKey=\r\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

bool IsTopMost(const TForm1& form) {
    return form.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void ExpectDesignValues(const TForm1& form) {
    EXPECT_EQ(form.Control<QComboBox>(Id::cbbHour)->currentIndex(), 0);
    EXPECT_EQ(form.Control<QComboBox>(Id::cbbMin)->currentIndex(), 10);
    EXPECT_EQ(form.Control<QComboBox>(Id::cbbSec)->currentIndex(), 30);
    EXPECT_EQ(form.Control<QComboBox>(Id::cbbLastMin)->currentText(), "10");
    EXPECT_EQ(form.Control<QComboBox>(Id::cbbPerMin)->currentText(), "1");
    EXPECT_EQ(form.Control<QComboBox>(Id::cbbLastSec)->currentText(), "30");
    EXPECT_EQ(form.Control<QComboBox>(Id::cbbPerSec)->currentText(), "1");
    for (const QCheckBox* box :
         {form.Control<QCheckBox>(Id::chkMin), form.Control<QCheckBox>(Id::chkSec),
          form.Control<QCheckBox>(Id::chkLastOne), form.Control<QCheckBox>(Id::chkCircle),
          form.Control<QCheckBox>(Id::chkDispTop), form.Control<QCheckBox>(Id::chkHour),
          form.Control<QCheckBox>(Id::chkHalf)})
        EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_FALSE(IsTopMost(form));
    EXPECT_FALSE(form.tmrHour->isActive());
}

class SettingsWindow : public ::testing::Test {
protected:
    std::string FilePath() const { return folder.File("lvvoxclk.db"); }
    void Store(const std::string& bytes) const { TempFolder::Write(FilePath(), bytes); }
    std::string Stored() const { return TempFolder::Read(FilePath()); }
    TForm1& Open() {
        form = MakeForm(folder.path().string());
        return *form;
    }
    void Close() {
        form->close();
        form.reset();
    }

    TempFolder folder;
    lumivox::testing::UrlRecorder pages;
    std::unique_ptr<TForm1> form;
};

TEST_F(SettingsWindow, NoFileGivesDesignValuesAndTheFirstCloseMakesTheFile) {
    const fs::path nested = folder.path() / "not" / "yet";
    form = MakeForm(nested.string());
    ExpectDesignValues(*form);
    Close();
    EXPECT_EQ(TempFolder::Read((nested / "lvvoxclk.db").string()), kDesignFile);
}

TEST_F(SettingsWindow, SectionWithoutKeysIsNeitherReadNorWritten) {
    const std::string alone = "[Common]\r\n; kept\r\n[Other]\r\nA=1\r\n";
    Store(alone);
    ExpectDesignValues(Open());
    form->Control<QCheckBox>(Id::chkCircle)->setChecked(true);
    Close();
    EXPECT_EQ(Stored(), alone);
    EXPECT_EQ(pages.opened.size(), 1); // the close went on
}

TEST_F(SettingsWindow, SingleKeyAppliesAndAllKeysAreWrittenInOrder) {
    Store("[Common]\r\nIsDispTop=1\r\n");
    TForm1& window = Open();
    EXPECT_TRUE(IsTopMost(window));
    EXPECT_TRUE(window.Control<QCheckBox>(Id::chkDispTop)->isChecked());
    EXPECT_EQ(window.Control<QComboBox>(Id::cbbMin)->currentIndex(), 10);
    EXPECT_FALSE(window.tmrHour->isActive());
    Close();
    // The stored key keeps its line; the 13 missing ones follow in the table's order.
    EXPECT_EQ(Stored(),
              "[Common]\r\nIsDispTop=1\r\n" +
                  Replace(Replace(kDesignFile, "IsDispTop=0\r\n", ""), "[Common]\r\n", ""));
}

TEST_F(SettingsWindow, ChangesMadeInTheWindowAreSavedAndOtherLinesKept) {
    const std::string gbk = "\xD6\xD0\xCE\xC4";
    Store(";top\r\n[Other]\r\nName=" + gbk + "\r\n\r\n" + kDesignFile + "[Tail]\r\nB=2");
    TForm1& window = Open();
    window.Control<QComboBox>(Id::cbbHour)->setCurrentIndex(2);
    window.Control<QComboBox>(Id::cbbSec)->setCurrentIndex(-1);
    window.Control<QComboBox>(Id::cbbLastMin)->setEditText(QStringLiteral("90"));
    window.Control<QCheckBox>(Id::chkCircle)->setChecked(true);
    window.Control<QCheckBox>(Id::chkHalf)->setChecked(true);
    Close();
    std::string expected = Replace(kDesignFile, "HourCounter=0", "HourCounter=2");
    expected = Replace(expected, "SecondCounter=30", "SecondCounter=");
    expected = Replace(expected, "LastMinute=10", "LastMinute=90");
    expected = Replace(expected, "IsCircle=0", "IsCircle=1");
    expected = Replace(expected, "IsHalf=0", "IsHalf=1");
    EXPECT_EQ(Stored(), ";top\r\n[Other]\r\nName=" + gbk + "\r\n\r\n" + expected + "[Tail]\r\nB=2");

    // And the next run starts where this one ended.
    TForm1& next = Open();
    EXPECT_EQ(next.Control<QComboBox>(Id::cbbHour)->currentText(), "2");
    EXPECT_EQ(next.Control<QComboBox>(Id::cbbSec)->currentIndex(), -1);
    EXPECT_EQ(next.Control<QComboBox>(Id::cbbLastMin)->currentText(), "90");
    EXPECT_TRUE(next.Control<QCheckBox>(Id::chkCircle)->isChecked());
    EXPECT_TRUE(next.tmrHour->isActive());
}

struct PickCase {
    const char* stored;
    int index;
    const char* text;
};

class SettingsPickList : public SettingsWindow, public ::testing::WithParamInterface<PickCase> {};

TEST_P(SettingsPickList, SelectsOnlyAWholeItem) {
    Store(std::string("[Common]\r\nHourCounter=") + GetParam().stored + "\r\n");
    TForm1& window = Open();
    EXPECT_EQ(window.Control<QComboBox>(Id::cbbHour)->currentIndex(), GetParam().index);
    EXPECT_EQ(window.Control<QComboBox>(Id::cbbHour)->currentText(), GetParam().text);
    Close();
    EXPECT_NE(Stored().find(std::string("HourCounter=") + GetParam().text + "\r\n"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsPickList,
                         ::testing::Values(PickCase{"5", 5, "5"}, PickCase{"23", 23, "23"},
                                           PickCase{"07", -1, ""}, PickCase{"24", -1, ""},
                                           PickCase{"", -1, ""}, PickCase{"5x", -1, ""}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

struct CheckCase {
    const char* stored;
    bool checked;
};

class SettingsCheckBox : public SettingsWindow, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(SettingsCheckBox, ChecksForAnyNonZeroIntegerAndRunsItsHandler) {
    Store(std::string("[Common]\r\nIsHour=") + GetParam().stored + "\r\n");
    TForm1& window = Open();
    EXPECT_EQ(window.Control<QCheckBox>(Id::chkHour)->isChecked(), GetParam().checked);
    EXPECT_EQ(window.tmrHour->isActive(), GetParam().checked);
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsCheckBox,
                         ::testing::Values(CheckCase{"1", true}, CheckCase{"2", true},
                                           CheckCase{"-1", true}, CheckCase{"0x10", true},
                                           CheckCase{"0", false}, CheckCase{"yes", false},
                                           CheckCase{"", false}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(SettingsWindow, EditableBoxesTakeAnyTextAndWriteItBack) {
    Store("[Common]\r\nPerMinute=abc\r\nLastSecond=\xE4\xB8\xAD 7\r\n");
    TForm1& window = Open();
    EXPECT_EQ(window.Control<QComboBox>(Id::cbbPerMin)->currentText(), "abc");
    EXPECT_EQ(window.Control<QComboBox>(Id::cbbLastSec)->currentText(),
              QString::fromUtf8("\xE4\xB8\xAD 7"));
    Close();
    EXPECT_NE(Stored().find("PerMinute=abc\r\n"), std::string::npos);
    EXPECT_NE(Stored().find("LastSecond=\xE4\xB8\xAD 7\r\n"), std::string::npos);
}

TEST_F(SettingsWindow, ReadOnlyFileIsLeftAloneWithoutAMessage) {
    const std::string before = "[Common]\r\nIsCircle=1\r\n";
    Store(before);
    const fs::perms readOnly =
        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(FilePath(), readOnly);
    TForm1& window = Open();
    EXPECT_TRUE(window.Control<QCheckBox>(Id::chkCircle)->isChecked()); // reading still works
    window.Control<QCheckBox>(Id::chkCircle)->setChecked(false);
    QTest::qWait(1200); // the save on change is refused too
    EXPECT_EQ(Stored(), before);
    window.Control<QCheckBox>(Id::chkHour)->setChecked(true);
    Close();
    EXPECT_EQ(Stored(), before);
    EXPECT_EQ(fs::status(FilePath()).permissions(), readOnly);
    EXPECT_EQ(folder.Count(), 1u);
    EXPECT_EQ(pages.opened.size(), 1);
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<QMessageBox*>(widget), nullptr);
}

TEST_F(SettingsWindow, ChangesReachTheFileWithinASecondABurstAsOneReplace) {
    Store(kDesignFile);
    TForm1& window = Open();
    // Each save puts a new file in place: a new inode is a write.
    const auto inode = [&] {
        struct stat st {};
        return ::stat(FilePath().c_str(), &st) == 0 ? st.st_ino : 0;
    };
    const auto original = inode();
    for (int i = 1; i <= 5; ++i)
        window.Control<QComboBox>(Id::cbbLastSec)
            ->setEditText(QString::number(i)); // typing 1 2 3 4 5
    window.Control<QCheckBox>(Id::chkHour)->setChecked(true);
    EXPECT_EQ(inode(), original); // nothing written while the burst goes on
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Stored().find("LastSecond=5\r\n") != std::string::npos; }, 1000))
        << Stored();
    const auto written = inode();
    EXPECT_NE(written, original);
    QTest::qWait(1200);
    EXPECT_EQ(inode(), written); // one replace for the whole burst
    EXPECT_EQ(Stored(), Replace(Replace(kDesignFile, "LastSecond=30", "LastSecond=5"), "IsHour=0",
                                "IsHour=1"));

    // A file that refuses one save takes the next change.
    fs::permissions(FilePath(), fs::perms::owner_read);
    window.Control<QCheckBox>(Id::chkHalf)->setChecked(true);
    QTest::qWait(1200);
    EXPECT_EQ(inode(), written);
    fs::permissions(FilePath(), fs::perms::owner_read | fs::perms::owner_write);
    window.Control<QCheckBox>(Id::chkCircle)->setChecked(true);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Stored().find("IsCircle=1\r\n") != std::string::npos; }, 1000))
        << Stored();
    EXPECT_NE(Stored().find("IsHalf=1\r\n"), std::string::npos);
}

TEST_F(SettingsWindow, UnreadableFileIsNotReplaced) {
    fs::create_directory(FilePath()); // a name that is there but cannot be read as a file
    ExpectDesignValues(Open());
    Close();
    EXPECT_TRUE(fs::is_directory(FilePath()));
    EXPECT_EQ(pages.opened.size(), 1);
}

} // namespace
