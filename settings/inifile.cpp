#include "settings/inifile.h"

#include <fstream>
#include <iterator>

#include "framework/utf8path.h"
#include "settings/atomicfile.h"

EIniFileException::EIniFileException(const std::string& path)
    : message_("Unable to write to " + path) {}

TIniFile::TIniFile(std::string path) : path_(std::move(path)) {}

TIniFile::~TIniFile() {
    try {
        UpdateFile();
    } catch (...) {
        // Release cannot report; the temporary file is removed with the writer.
    }
}

lumivox::IniDocument& TIniFile::Document() {
    if (!document_) {
        // A missing or unreadable file reads as empty, so every key gives its default.
        std::ifstream in(lumivox::Utf8Path(path_), std::ios::binary);
        std::string bytes;
        if (in)
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        document_.emplace(std::move(bytes));
    }
    return *document_;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) {
    std::optional<std::string> value = Document().Value(section, key);
    return value ? *value : defaultValue;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) {
    const std::optional<int> value = lumivox::ParseIniInteger(ReadString(section, key, ""));
    return value ? *value : defaultValue;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    lumivox::IniDocument& document = Document();
    if (!pending_) {
        auto writer = std::make_unique<lumivox::AtomicFileWriter>(path_);
        if (!writer->Open())
            throw EIniFileException(path_);
        pending_ = std::move(writer);
    }
    try {
        document.SetValue(section, key, value);
    } catch (const std::invalid_argument&) {
        throw EIniFileException(path_);
    }
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

bool TIniFile::SectionExists(const std::string& section) {
    return Document().SectionHasKeys(section);
}

void TIniFile::UpdateFile() {
    if (!pending_)
        return;
    std::unique_ptr<lumivox::AtomicFileWriter> writer = std::move(pending_);
    if (beforeReplace_)
        writer->SetBeforeReplace(beforeReplace_);
    if (!writer->Commit(document_->Bytes()))
        throw EIniFileException(path_);
}

void TIniFile::SetBeforeReplaceForTesting(std::function<void()> hook) {
    beforeReplace_ = std::move(hook);
}
