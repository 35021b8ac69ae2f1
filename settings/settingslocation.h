// Where the settings file (and the other per-user files beside it) live.
#pragma once
#include <string>

namespace lumivox {

// The file's name, in whichever folder it lives.
inline constexpr const char* kSettingsFileName = "lvvoxclk.db";

// The two folders the settings may live in, each with a trailing separator.
struct SettingsPlaces {
    std::string executableFolder; // empty when unknown
    std::string perUserFolder;    // may not exist yet
};

// True when the settings live beside the executable (a portable copy): nothing
// overrides the place and a settings file is there.
bool IsPortableSettings(const std::string& overrideDir, const SettingsPlaces& places);

// The folder holding the settings file, with a trailing separator: overrideDir when
// given (tests); the executable's folder for a portable copy; else the per-user folder.
std::string SettingsDirectory(const std::string& overrideDir, const SettingsPlaces& places);

} // namespace lumivox
