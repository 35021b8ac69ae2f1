// A sound server of the test's own, made like the test desktop's (a null sink "cap"
// whose monitor SinkRecorder records), on a private socket, so that a test may stop,
// kill and restart it. While the object lives, PULSE_SERVER names its socket, for the
// program's sound output and for parec alike.
#pragma once
#include <string>
#include <sys/types.h>

namespace lumivox::testing {

class PrivateSoundServer {
public:
    PrivateSoundServer();  // names the socket; starts nothing
    ~PrivateSoundServer(); // ends the server, gives PULSE_SERVER back its old value

    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    // Starts the server on the same socket each time; true once it answers.
    bool Start();
    void Kill();   // SIGKILL: gone without a word, as a crash
    void Stall();  // SIGSTOP: hung
    void Resume(); // SIGCONT

private:
    std::string folder_;
    std::string previous_;
    bool hadPrevious_ = false;
    pid_t pid_ = -1;
    bool stalled_ = false;
};

} // namespace lumivox::testing
