// Close cost, in-process window: the program's window on the real display and sound
// server, optionally counting down aloud; after a settling time it prints
// "closing <steady-clock ns>" and closes the window as the title bar's button would.
// The caller times the process's exit from that instant.
// Usage: bench_app_close SETTINGS_DIR idle|speaking [settle ms, default 3000]
// SETTINGS_DIR holds the lvvoxclk.db to start from.
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/mainform.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SETTINGS_DIR idle|speaking [settle ms]\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    const bool speaking = std::strcmp(argv[2], "speaking") == 0;
    const int settleMs = argc > 3 ? std::atoi(argv[3]) : 3000;

    TForm1::Options options;
    options.settingsDir = argv[1];
    TForm1 window(options);
    window.show();
    if (speaking)
        QTimer::singleShot(500, &window, [&window] {
            window.Control<QPushButton>(lumivox::ControlId::btnMinStart)->click();
        });
    QTimer::singleShot(settleMs, &window, [&window] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("closing %lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
        window.close();
    });
    return QApplication::exec();
}
