// Where the settings file (and the other per-user files beside it) live.
#pragma once
#include <string>

namespace lumivox {

// The file's name, in whichever folder it lives.
inline constexpr const char* kSettingsFileName = "lvvoxclk.db";

// The folder holding the settings file, with a trailing separator:
// overrideDir when given (tests); the executable's folder when a settings file
// is already there (a portable copy); otherwise the per-user configuration
// folder, which may not exist yet.
std::string SettingsDirectory(const std::string& overrideDir);

// SettingsDirectory(overrideDir) + the settings file's name.
std::string SettingsFilePath(const std::string& overrideDir);

// True when the settings live beside the executable (a portable copy).
bool IsPortableSettings(const std::string& overrideDir);

} // namespace lumivox
