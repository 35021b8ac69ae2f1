// A sound server of the test's own, made as the test desktop's (scripts/testenv.sh), on
// a private socket, so that a test may stall, kill and restart it. While the object
// lives, PULSE_SERVER names its socket, for the sound output and SinkRecorder alike.
#pragma once
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace lumivox::testing {

class PrivateSoundServer {
public:
    PrivateSoundServer() {
        char pattern[] = "/tmp/lumivox-pulse.XXXXXX";
        folder_ = mkdtemp(pattern) ? pattern : "/tmp";
        if (const char* old = std::getenv("PULSE_SERVER"))
            previous_ = old;
        setenv("PULSE_SERVER", ("unix:" + folder_ + "/native").c_str(), 1);
    }
    ~PrivateSoundServer() {
        Kill();
        setenv("PULSE_SERVER", previous_.c_str(), 1);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    // Starts the server, on the same socket each time; true once it answers.
    bool Start() {
        if (pid_ < 0 && (pid_ = fork()) == 0) {
            const std::string testenv = LUMIVOX_TEST_SOURCE_DIR "/scripts/testenv.sh";
            execlp("bash", "bash", "-c", "source \"$0\" && testenv_sound_server \"$1\" 2>/dev/null",
                   testenv.c_str(), folder_.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 200; ++i) {
            if (std::system("pactl info >/dev/null 2>&1") == 0)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    void Kill() { // gone without a word, as in a crash
        if (pid_ > 0 && kill(pid_, SIGKILL) == 0)
            waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    void Stall() { kill(pid_, SIGSTOP); } // hung
    void Resume() {
        if (pid_ > 0)
            kill(pid_, SIGCONT);
    }

private:
    std::string folder_;
    std::string previous_;
    pid_t pid_ = -1;
};

} // namespace lumivox::testing
