// Countdown accuracy on the real clock: the clock-locked countdown and plain 985 ms
// timers (one tick per firing) run side by side; prints how far tick k lands from
// t0 + k s.
// Usage: bench_timing_countdown [seconds, default 120]
#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "timing/countdown.h"
#include "timing/platform/qttimeralarm.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0, Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(t - t0).count();
}

class SilentPoster : public lumivox::RequestPoster {
public:
    void Post(std::int32_t, std::int32_t) override {}
};

// Counts the label updates; each one is a tick applied.
class TimingView : public lumivox::CountdownView {
public:
    TimingView(int seconds, Clock::time_point& t0, std::vector<double>& offsets)
        : seconds_(seconds), t0_(t0), offsets_(offsets) {}
    std::string BoxText(lumivox::CountdownBox box) const override {
        switch (box) {
        case lumivox::CountdownBox::Hour:
            return std::to_string(seconds_ / 3600);
        case lumivox::CountdownBox::Minute:
            return std::to_string(seconds_ / 60 % 60);
        case lumivox::CountdownBox::Second:
            return std::to_string(seconds_ % 60);
        default:
            return "1";
        }
    }
    bool IsChecked(lumivox::CountdownCheck check) const override {
        return check == lumivox::CountdownCheck::Second;
    }
    void ShowRemaining(const std::string&) override {
        if (!started_) {
            started_ = true; // the start itself
            return;
        }
        const double k = static_cast<double>(offsets_.size() + 1);
        offsets_.push_back(MsSince(t0_, Clock::now()) - k * 1000.0);
    }
    void ShowCounting(bool) override {}
    void ShowNoCondition() override {}

private:
    int seconds_;
    Clock::time_point& t0_;
    std::vector<double>& offsets_;
    bool started_ = false;
};

struct Summary {
    double median, maxAbs, end;
};

Summary Summarise(std::vector<double> offsets) {
    Summary s{0, 0, offsets.empty() ? 0 : offsets.back()};
    for (double v : offsets)
        s.maxAbs = std::max(s.maxAbs, std::abs(v));
    std::sort(offsets.begin(), offsets.end());
    if (!offsets.empty())
        s.median = offsets[offsets.size() / 2];
    return s;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 120;

    Clock::time_point t0;
    std::vector<double> locked, plain, coarse;

    lumivox::SteadyClock steady;
    SilentPoster poster;
    TimingView view(seconds, t0, locked);
    QTimer ticker;
    lumivox::QtTimerAlarm alarm(&ticker);
    lumivox::Countdown countdown(view, poster, steady, alarm);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        countdown.OnTimer();
        if (static_cast<int>(locked.size()) >= seconds)
            countdown.Stop();
    });

    // The original design: one tick per firing every 985 ms, as a precise timer and
    // as Qt's default (coarse) timer.
    QTimer precise985, coarse985;
    precise985.setTimerType(Qt::PreciseTimer);
    coarse985.setTimerType(Qt::CoarseTimer);
    for (auto [timer, offsets] : {std::pair{&precise985, &plain}, std::pair{&coarse985, &coarse}}) {
        timer->setInterval(985);
        QObject::connect(timer, &QTimer::timeout, [&t0, timer, offsets, seconds] {
            const double k = static_cast<double>(offsets->size() + 1);
            offsets->push_back(MsSince(t0, Clock::now()) - k * 1000.0);
            if (static_cast<int>(offsets->size()) >= seconds)
                timer->stop();
        });
    }

    QTimer done;
    done.setInterval(100);
    QObject::connect(&done, &QTimer::timeout, [&] {
        const auto n = static_cast<std::size_t>(seconds);
        if (locked.size() >= n && plain.size() >= n && coarse.size() >= n)
            app.quit();
    });

    QTimer::singleShot(0, [&] {
        t0 = Clock::now();
        countdown.Start();
        precise985.start();
        coarse985.start();
        done.start();
    });
    std::printf("countdown of %d s on the real clock: offset of tick k from t0 + k s\n", seconds);
    std::fflush(stdout);
    app.exec();

    const Summary a = Summarise(locked);
    const Summary b = Summarise(plain);
    const Summary c = Summarise(coarse);
    std::printf("| timer                         | ticks | median (ms) | max |offset| (ms) | "
                "end of run (ms) |\n");
    std::printf("|-------------------------------|------:|------------:|-----------------:|"
                "----------------:|\n");
    std::printf("| locked to the clock (precise) | %5zu | %11.1f | %16.1f | %15.1f |\n",
                locked.size(), a.median, a.maxAbs, a.end);
    std::printf("| plain 985 ms, precise         | %5zu | %11.1f | %16.1f | %15.1f |\n",
                plain.size(), b.median, b.maxAbs, b.end);
    std::printf("| plain 985 ms, Qt default      | %5zu | %11.1f | %16.1f | %15.1f |\n",
                coarse.size(), c.median, c.maxAbs, c.end);
    return 0;
}
