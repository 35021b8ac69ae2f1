// The tips file: where it lives, writing the downloaded body to it, reading it back.
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace lumivox {

inline constexpr const char* kTipsFileName = "tipsupd.dat";

// "Cannot create file <path>": the file could not be written.
class FileCreateError : public std::runtime_error {
public:
    explicit FileCreateError(const std::string& path);
};

// "Cannot open file <path>": the file exists but could not be read.
class FileOpenError : public std::runtime_error {
public:
    explicit FileOpenError(const std::string& path);
};

// folder must end with a separator.
std::string TipsFilePath(const std::string& folder);

// Replaces the file with exactly these bytes (an empty body leaves an empty file).
// The folder is made first when missing. Throws FileCreateError.
void WriteTipsFile(const std::string& path, std::string_view body);

// The whole file; an empty string when there is none. Throws FileOpenError when
// the file exists but cannot be read.
std::string ReadTipsFile(const std::string& path);

} // namespace lumivox
