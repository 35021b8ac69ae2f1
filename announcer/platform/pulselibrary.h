// The PulseAudio simple API, opened when the program first speaks rather than linked:
// the library and the dozen it pulls in (codecs among them) cost start-up time and
// memory in a program that may not speak for hours.
#pragma once
#ifndef _WIN32
#include <pulse/simple.h>

#include <string>

namespace lumivox {

inline constexpr const char* kPulseSimpleLibrary = "libpulse-simple.so.0";

struct PulseLibrary {
    decltype(&pa_simple_new) simpleNew = nullptr;
    decltype(&pa_simple_free) simpleFree = nullptr;
    decltype(&pa_simple_write) simpleWrite = nullptr;
    decltype(&pa_simple_flush) simpleFlush = nullptr;
    decltype(&pa_simple_drain) simpleDrain = nullptr;
    decltype(&pa_simple_get_latency) simpleGetLatency = nullptr;
};

// Opens the library and finds every function in it. On failure returns false, leaves
// `library` untouched and puts the loader's words, which name the library and any
// missing function, into `why`. A library once opened stays for the rest of the process.
bool LoadPulseLibrary(const char* soname, PulseLibrary& library, std::string& why);

} // namespace lumivox
#endif
