#include "soundserver.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace lumivox::testing {

PrivateSoundServer::PrivateSoundServer() {
    char pattern[] = "/tmp/lumivox-pulse.XXXXXX";
    folder_ = mkdtemp(pattern) ? pattern : "/tmp";
    if (const char* old = std::getenv("PULSE_SERVER")) {
        previous_ = old;
        hadPrevious_ = true;
    }
    setenv("PULSE_SERVER", ("unix:" + folder_ + "/native").c_str(), 1);
}

PrivateSoundServer::~PrivateSoundServer() {
    Kill();
    if (hadPrevious_)
        setenv("PULSE_SERVER", previous_.c_str(), 1);
    else
        unsetenv("PULSE_SERVER");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

bool PrivateSoundServer::Start() {
    if (pid_ > 0)
        return true;
    const std::string sink = "--load=module-null-sink sink_name=cap rate=22050 channels=1";
    const std::string socket =
        "--load=module-native-protocol-unix auth-anonymous=1 socket=" + folder_ + "/native";
    pid_ = fork();
    if (pid_ == 0) {
        // Without a display it finds no session bus, whose names the desktop's server holds.
        unsetenv("DISPLAY");
        setenv("PULSE_RUNTIME_PATH", folder_.c_str(), 1);
        setenv("PULSE_STATE_PATH", folder_.c_str(), 1);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
               "--disallow-exit", "--use-pid-file=no", "--system=false", sink.c_str(),
               socket.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 200; ++i) {
        if (std::system("pactl info >/dev/null 2>&1") == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void PrivateSoundServer::Kill() {
    if (pid_ <= 0)
        return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    stalled_ = false;
}

void PrivateSoundServer::Stall() {
    if (pid_ > 0 && kill(pid_, SIGSTOP) == 0)
        stalled_ = true;
}

void PrivateSoundServer::Resume() {
    if (pid_ > 0 && stalled_ && kill(pid_, SIGCONT) == 0)
        stalled_ = false;
}

} // namespace lumivox::testing
