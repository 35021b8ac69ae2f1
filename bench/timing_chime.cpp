// Chime alignment on the real clock: the offset of each minute check from hh:mm:00.
// Usage: bench_timing_chime [minute boundaries, default 3]
#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "timing/chime.h"
#include "timing/platform/systemwallclock.h"
#include "timing/platform/wallalarm.h"

namespace {

class SilentPoster : public lumivox::RequestPoster {
public:
    void Post(std::int32_t, std::int32_t) override {}
};

// A check reads the boxes once per minute: that read is the moment measured.
class MeasuringBoxes : public lumivox::ChimeView {
public:
    explicit MeasuringBoxes(const lumivox::WallClock& clock) : clock_(clock) {}
    bool HourChecked() const override {
        if (measuring) {
            const std::int64_t now = clock_.LocalMs();
            std::int64_t into = now % 60000;
            if (into > 30000)
                into -= 60000; // early: before the minute
            checks.push_back({now, into});
        }
        return true;
    }
    bool HalfChecked() const override { return true; }

    struct Check {
        std::int64_t at;
        std::int64_t offset;
    };
    bool measuring = false;
    mutable std::vector<Check> checks;

private:
    const lumivox::WallClock& clock_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int boundaries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    lumivox::SystemWallClock wall;
    SilentPoster poster;
    MeasuringBoxes boxes(wall);
    // The program's own alarm: a wall-clock timer with a QTimer behind it.
    QTimer timer;
    lumivox::WallAlarm alarm(&timer);
    lumivox::Chime chime(boxes, poster, wall, alarm);
    int wakes = 0;
    const auto wake = [&] {
        ++wakes;
        chime.OnTimer();
        if (static_cast<int>(boxes.checks.size()) >= boundaries)
            app.quit();
    };
    QObject::connect(&timer, &QTimer::timeout, wake);
    QObject::connect(&alarm, &lumivox::WallAlarm::rang, wake);
    chime.Update();
    boxes.measuring = true;

    std::printf("chime checks on the real clock over %d minute boundaries\n", boundaries);
    std::fflush(stdout);
    app.exec();

    std::printf("| check | wall time    | offset from hh:mm:00 (ms) |\n");
    std::printf("|------:|--------------|--------------------------:|\n");
    std::int64_t worst = 0;
    for (std::size_t i = 0; i < boxes.checks.size(); ++i) {
        const auto& c = boxes.checks[i];
        const QTime t = QTime::fromMSecsSinceStartOfDay(static_cast<int>(c.at % 86400000));
        std::printf("| %5zu | %s | %25lld |\n", i + 1,
                    t.toString("HH:mm:ss.zzz").toUtf8().constData(),
                    static_cast<long long>(c.offset));
        worst = std::max<std::int64_t>(worst, std::abs(c.offset));
    }
    std::printf("max |offset|: %lld ms\n", static_cast<long long>(worst));
    std::printf("wake-ups: %d for %zu checks\n", wakes, boxes.checks.size());
    return 0;
}
