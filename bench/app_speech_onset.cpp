// Speech onset, announcer side: the real announcer thread with the real PulseAudio
// output and the embedded clips. Each line read from stdin posts one spoken-time
// request (kind 1, the time now) and prints "posted <steady-clock ns>", so a recorder
// on the sink's monitor can tell how long the first sound took to arrive.
// Usage: bench_app_speech_onset   (driven by bench/desktop_bench.py)
#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <string>

#include "announcer/mythread.h"
#include "announcer/platform/pulsesoundoutput.h"
#include "announcer/platform/resourceclips.h"
#include "announcer/request.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the embedded clips are Qt resources
    lumivox::ClipBank clips;
    clips.LoadAll(lumivox::ResourceClipSource());
    lumivox::PulseSoundOutput sound("Lumivox onset bench");
    TMyThread announcer(clips, sound);
    announcer.Resume();
    std::printf("ready\n");
    std::fflush(stdout);

    std::string line;
    while (std::getline(std::cin, line)) {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        const auto posted = std::chrono::steady_clock::now();
        announcer.Post(lumivox::RequestKind::SpeakTime, local.tm_hour * 1000 + local.tm_min);
        std::printf("posted %lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                               posted.time_since_epoch())
                                               .count()));
        std::fflush(stdout);
    }
    announcer.Shutdown();
    return 0;
}
