// Replacing a file's whole content so that a crash or power cut at any moment
// leaves either the old or the new content, never a mix or an empty file.
#pragma once
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace lumivox {

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter(); // removes the temporary file unless committed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Checks that the file may be replaced and creates the temporary file beside
    // it. False when the file is read-only (or cannot be opened for writing), or
    // when its folder refuses the temporary file; nothing is changed then.
    bool Open();

    // Writes the content to the temporary file, makes it durable and puts it in
    // the file's place in one step. False when any step fails; the old file is
    // then as it was. Needs a successful Open().
    bool Commit(std::string_view content);

    // Runs between the durable temporary file and the replace (tests interrupt
    // the save there).
    void SetBeforeReplace(std::function<void()> hook) { beforeReplace_ = std::move(hook); }

    const std::string& TemporaryPath() const { return tempPath_; }

private:
    void Discard();

    std::string path_;   // the file as named
    std::string target_; // the file itself, links followed
    std::string tempPath_;
    std::FILE* temp_ = nullptr;
    std::function<void()> beforeReplace_;
};

// True when `path` names an existing file that may not be written: no write
// permission bit is set (even for a user whom the system would let write), or the
// file cannot be opened for writing.
bool IsReadOnlyFile(const std::string& path);

} // namespace lumivox
