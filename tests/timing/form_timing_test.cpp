// The countdown and chime on the real window: its boxes, buttons, timers, message
// boxes and the announcer behind it, with simulated clocks.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

#include "formfixture.h"
#include "simtime.h"
#include "timing/countdown.h"

namespace {

using lumivox::testing::SilentSound;
using lumivox::testing::SimClock;

class FormTimingTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = lumivox::testing::MakeForm(settingsDir.path().toStdString(), sound);
        form->Rules().SetClocks(clock, clock);
    }

    // Clip images the announcer has played so far, as clip numbers.
    std::vector<int> PlayedClips() const {
        std::vector<int> out;
        for (const std::uint8_t* data : sound->Played()) {
            int index = -1;
            for (int k = 0; k < lumivox::kClipCount; ++k)
                if (form->Rules().Clips.Clip(k).data == data)
                    index = k;
            out.push_back(index);
        }
        return out;
    }
    void Advance(std::int64_t ms) { clock->now += ms; }

    lumivox::testing::BoxRecorder shown;
    QList<lumivox::testing::BoxRecorder::Box>& boxes = shown.boxes;
    QTemporaryDir settingsDir;
    std::shared_ptr<SilentSound> sound = std::make_shared<SilentSound>();
    std::shared_ptr<SimClock> clock = std::make_shared<SimClock>();
    std::unique_ptr<TForm1> form;
};

TEST_F(FormTimingTest, StartWithoutAConditionShowsTheBoxAndStartsNothing) {
    form->Control<QCheckBox>(Id::chkCircle)->setChecked(true);
    QTest::mouseClick(form->Control<QPushButton>(Id::btnMinStart), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].title, form->windowTitle());
    EXPECT_EQ(boxes[0].text, QString::fromUtf8("请选择倒计数条件后再试！"));
    EXPECT_FALSE(form->tmrSec->isActive());
    EXPECT_TRUE(form->Control<QPushButton>(Id::btnMinStart)->isEnabled());
    EXPECT_FALSE(form->Control<QPushButton>(Id::btnStop)->isEnabled());
    EXPECT_EQ(form->Control<QLabel>(Id::lblMinTick)->text(), "00:10:30");
}

TEST_F(FormTimingTest, ABoxThatIsNoNumberShowsTheConversionErrorAndStartsNothing) {
    form->Control<QCheckBox>(Id::chkSec)->setChecked(true);
    form->Control<QComboBox>(Id::cbbLastSec)->setCurrentText("abc");
    QTest::mouseClick(form->Control<QPushButton>(Id::btnMinStart), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].text, "'abc' is not a valid integer value.");
    EXPECT_EQ(boxes[0].title, QString::fromUtf8("Lumivox语音报时器"));
    EXPECT_FALSE(form->tmrSec->isActive());
    EXPECT_TRUE(form->Control<QPushButton>(Id::btnMinStart)->isEnabled());
    EXPECT_EQ(form->Control<QLabel>(Id::lblMinTick)->text(), "00:10:30");
    const auto& s = form->Rules().CountdownEngine().State;
    EXPECT_EQ(s.CountMinute, 10);
    EXPECT_EQ(s.LastMinute, 10);
    EXPECT_FALSE(s.Running);
}

TEST_F(FormTimingTest, CountdownDrivesLabelButtonsTimerAndSpeech) {
    form->Control<QCheckBox>(Id::chkSec)->setChecked(true);
    form->Control<QCheckBox>(Id::chkLastOne)->setChecked(true);
    form->Control<QComboBox>(Id::cbbMin)->setCurrentText("0");
    form->Control<QComboBox>(Id::cbbSec)->setCurrentText("3");
    QTest::mouseClick(form->Control<QPushButton>(Id::btnMinStart), Qt::LeftButton);
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(form->Control<QLabel>(Id::lblMinTick)->text(), "0:0:3");
    EXPECT_FALSE(form->Control<QPushButton>(Id::btnMinStart)->isEnabled());
    EXPECT_TRUE(form->Control<QPushButton>(Id::btnStop)->isEnabled());
    EXPECT_TRUE(form->tmrSec->isActive());
    EXPECT_EQ(form->tmrSec->timerType(), Qt::PreciseTimer);

    for (int tick = 1; tick <= 3; ++tick) {
        Advance(1000);
        form->Rules().tmrSecTimer();
    }
    EXPECT_EQ(form->Control<QLabel>(Id::lblMinTick)->text(), "0:0:0");
    EXPECT_TRUE(form->tmrSec->isActive());
    // 3, 2, then the cue (clip 21) instead of 1.
    EXPECT_TRUE(QTest::qWaitFor([&] { return PlayedClips().size() == 3; }, 20000));
    EXPECT_EQ(PlayedClips(), (std::vector<int>{3, 2, 21}));

    Advance(1000);
    form->Rules().tmrSecTimer();
    EXPECT_FALSE(form->tmrSec->isActive());
    EXPECT_TRUE(form->Control<QPushButton>(Id::btnMinStart)->isEnabled());
    EXPECT_FALSE(form->Control<QPushButton>(Id::btnStop)->isEnabled());
    EXPECT_EQ(form->Rules().CountdownEngine().State.RemainSeconds, -1);
}

TEST_F(FormTimingTest, StopButtonKeepsTheLabel) {
    form->Control<QCheckBox>(Id::chkMin)->setChecked(true);
    QTest::mouseClick(form->Control<QPushButton>(Id::btnMinStart), Qt::LeftButton);
    Advance(2000);
    form->Rules().tmrSecTimer();
    EXPECT_EQ(form->Control<QLabel>(Id::lblMinTick)->text(), "0:10:28");
    QTest::mouseClick(form->Control<QPushButton>(Id::btnStop), Qt::LeftButton);
    EXPECT_FALSE(form->tmrSec->isActive());
    EXPECT_TRUE(form->Control<QPushButton>(Id::btnMinStart)->isEnabled());
    EXPECT_FALSE(form->Control<QPushButton>(Id::btnStop)->isEnabled());
    EXPECT_EQ(form->Control<QLabel>(Id::lblMinTick)->text(), "0:10:28");
    EXPECT_FALSE(form->Rules().CountdownEngine().State.Running);
}

TEST_F(FormTimingTest, ChimeTimerRunsExactlyWhileABoxIsChecked) {
    EXPECT_FALSE(form->tmrHour->isActive());
    form->Control<QCheckBox>(Id::chkHalf)->setChecked(true);
    EXPECT_TRUE(form->tmrHour->isActive());
    EXPECT_EQ(form->tmrHour->timerType(), Qt::PreciseTimer);
    form->Control<QCheckBox>(Id::chkHour)->setChecked(true);
    form->Control<QCheckBox>(Id::chkHalf)->setChecked(false);
    EXPECT_TRUE(form->tmrHour->isActive());
    form->Control<QCheckBox>(Id::chkHour)->setChecked(false);
    EXPECT_FALSE(form->tmrHour->isActive());
}

TEST_F(FormTimingTest, HalfHourIsSpokenAtTheStartOfTheMinute) {
    constexpr std::int64_t kMinute = 60000;
    // Local 14:29:58.
    clock->wallOffset = 19'000LL * 1440 * kMinute + (14 * 60 + 29) * kMinute + 58'000 - clock->now;
    form->Control<QCheckBox>(Id::chkHalf)->setChecked(true);
    for (int i = 0; i < 10 && PlayedClips().empty(); ++i) {
        Advance(500);
        form->Rules().tmrHourTimer();
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return PlayedClips().size() == 8; }, 20000));
    // 14:30: preamble, ten, four, o'clock word, half.
    EXPECT_EQ(PlayedClips(), (std::vector<int>{11, 12, 10, 13, 10, 4, 14, 16}));
}

} // namespace
