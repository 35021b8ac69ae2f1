// An INI file on disk, read and written by section and key.
//
// Changes are kept in memory and the whole file is replaced at once by UpdateFile()
// or on destruction, through a temporary file beside it, so an interrupted save never
// leaves a damaged file. A write the file would refuse still fails at the write:
// the first write of a batch checks that the file is not read-only and creates the
// temporary file, and throws EIniFileException when either is refused.
#pragma once
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "settings/inidocument.h"

namespace lumivox {
class AtomicFileWriter;
}

class EIniFileException : public std::exception {
public:
    explicit EIniFileException(const std::string& path);
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

class TIniFile {
public:
    explicit TIniFile(std::string path); // touches no file
    ~TIniFile();                         // flushes; a failure here is dropped
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const { return path_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue);
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue);
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    bool SectionExists(const std::string& section);
    void UpdateFile();

    // Runs between the durable temporary file and the replace (tests interrupt the
    // save there).
    void SetBeforeReplaceForTesting(std::function<void()> hook);

private:
    lumivox::IniDocument& Document();

    std::string path_;
    std::optional<lumivox::IniDocument> document_;       // read at first use
    std::unique_ptr<lumivox::AtomicFileWriter> pending_; // open while writes wait
    std::function<void()> beforeReplace_;
};
