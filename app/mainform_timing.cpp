// The window's countdown and chime handlers: thin glue between the widgets and the
// engines in timing/. Both timers are precise and rescheduled from the clock:
// tmrSec fires when the next countdown second is due (not every 985 ms); the chime
// wakes at the start of each wall-clock minute on a wall-clock timer, which a clock
// change or a resume also rings, with tmrHour standing behind it.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <utility>

#include "announcer/mythread.h"
#include "app/exceptionbox.h"
#include "app/mainform.h"
#include "timing/chime.h"
#include "timing/countdown.h"
#include "timing/platform/qttimeralarm.h"
#include "timing/platform/systemwallclock.h"
#include "timing/platform/wallalarm.h"

namespace {

using lumivox::CountdownBox;
using lumivox::CountdownCheck;

bool IsChecked(const QCheckBox* box) {
    return box != nullptr && box->isChecked();
}

// Posts to whatever announcer the window has at the time.
class AnnouncerPoster : public lumivox::RequestPoster {
public:
    explicit AnnouncerPoster(TForm1& form) : form_(form) {}
    void Post(std::int32_t kind, std::int32_t value) override {
        if (form_.Announcer)
            form_.Announcer->Post(kind, value);
    }

private:
    TForm1& form_;
};

class CountdownWidgets : public lumivox::CountdownView {
public:
    explicit CountdownWidgets(TForm1& form) : form_(form) {}

    std::string BoxText(CountdownBox box) const override {
        static constexpr std::pair<CountdownBox, QComboBox * TForm1::*> kBoxes[] = {
            {CountdownBox::Hour, &TForm1::cbbHour},
            {CountdownBox::Minute, &TForm1::cbbMin},
            {CountdownBox::Second, &TForm1::cbbSec},
            {CountdownBox::LastMinute, &TForm1::cbbLastMin},
            {CountdownBox::PerMinute, &TForm1::cbbPerMin},
            {CountdownBox::LastSecond, &TForm1::cbbLastSec},
            {CountdownBox::PerSecond, &TForm1::cbbPerSec},
        };
        for (const auto& [which, member] : kBoxes) {
            if (which == box && form_.*member != nullptr)
                return (form_.*member)->currentText().toStdString();
        }
        return {};
    }

    bool IsChecked(CountdownCheck check) const override {
        switch (check) {
        case CountdownCheck::Minute:
            return ::IsChecked(form_.chkMin);
        case CountdownCheck::Second:
            return ::IsChecked(form_.chkSec);
        case CountdownCheck::LastOne:
            return ::IsChecked(form_.chkLastOne);
        case CountdownCheck::Circle:
            return ::IsChecked(form_.chkCircle);
        }
        return false;
    }

    void ShowRemaining(const std::string& text) override {
        if (form_.lblMinTick == nullptr)
            return;
        form_.lblMinTick->setText(QString::fromStdString(text));
        form_.lblMinTick->adjustSize();
    }

    void ShowCounting(bool counting) override {
        if (form_.btnMinStart != nullptr)
            form_.btnMinStart->setEnabled(!counting);
        if (form_.btnStop != nullptr)
            form_.btnStop->setEnabled(counting);
    }

    void ShowNoCondition() override {
        lumivox::ShowMessageBox(&form_, form_.windowTitle(),
                                QString::fromUtf8("请选择倒计数条件后再试！"));
    }

private:
    TForm1& form_;
};

class ChimeWidgets : public lumivox::ChimeView {
public:
    explicit ChimeWidgets(TForm1& form) : form_(form) {}
    bool HourChecked() const override { return IsChecked(form_.chkHour); }
    bool HalfChecked() const override { return IsChecked(form_.chkHalf); }

private:
    TForm1& form_;
};

} // namespace

struct TForm1::TimingParts {
    TimingParts(TForm1& form, std::shared_ptr<lumivox::MonotonicClock> monotonicClock,
                std::shared_ptr<lumivox::WallClock> wallClock)
        : monotonic(std::move(monotonicClock)), wall(std::move(wallClock)), poster(form),
          countdownView(form), chimeView(form), secAlarm(form.tmrSec), hourAlarm(form.tmrHour),
          countdown(countdownView, poster, *monotonic, secAlarm),
          chime(chimeView, poster, *wall, hourAlarm) {
        QObject::connect(&hourAlarm, &lumivox::WallAlarm::rang, [this] { chime.OnTimer(); });
    }

    std::shared_ptr<lumivox::MonotonicClock> monotonic;
    std::shared_ptr<lumivox::WallClock> wall;
    AnnouncerPoster poster;
    CountdownWidgets countdownView;
    ChimeWidgets chimeView;
    lumivox::QtTimerAlarm secAlarm;
    lumivox::WallAlarm hourAlarm;
    lumivox::Countdown countdown;
    lumivox::Chime chime;
};

TForm1::TimingParts& TForm1::Timing() {
    if (!timing_) {
        timing_ = std::make_shared<TimingParts>(*this, std::make_shared<lumivox::SteadyClock>(),
                                                std::make_shared<lumivox::SystemWallClock>());
    }
    return *timing_;
}

lumivox::Countdown& TForm1::CountdownEngine() {
    return Timing().countdown;
}
lumivox::Chime& TForm1::ChimeEngine() {
    return Timing().chime;
}

void TForm1::SetTimingClocks(std::shared_ptr<lumivox::MonotonicClock> monotonic,
                             std::shared_ptr<lumivox::WallClock> wall) {
    if (timing_) {
        timing_->countdown.Stop();
        tmrHour->stop();
    }
    timing_ = std::make_shared<TimingParts>(*this, std::move(monotonic), std::move(wall));
    chkHourClick();
}

void TForm1::chkHourClick() {
    Timing().chime.Update();
}
void TForm1::chkHalfClick() {
    Timing().chime.Update();
}

void TForm1::btnMinStartClick() {
    lumivox::RunHandler(this, [this] { Timing().countdown.Start(); });
}

void TForm1::btnStopClick() {
    Timing().countdown.Stop();
}
void TForm1::tmrSecTimer() {
    Timing().countdown.OnTimer();
}
void TForm1::tmrHourTimer() {
    Timing().chime.OnTimer();
}
