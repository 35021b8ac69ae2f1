// The INI engine on any file content: no crash or leak, and each value written
// reads back as written while the other values written stay readable.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

#include "settings/inidocument.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

void Check(bool ok) {
    if (!ok)
        std::abort();
}

// A name the file can hold: a few fixed ones, or fuzzed bytes made valid.
std::string Name(FuzzedDataProvider& data, bool isKey) {
    static const char* const kFixed[] = {"Common", "IsHour", "ishour", "HourCounter", "Other"};
    if (data.ConsumeBool())
        return kFixed[data.ConsumeIntegralInRange<std::size_t>(0, 4)];
    std::string name = data.ConsumeRandomLengthString(16);
    for (char& c : name)
        if (c == '\r' || c == '\n' || c == ' ' || c == '\t' || c == ']' || c == '=')
            c = '_';
    if (name.empty() || (isKey && (name.front() == ';' || name.front() == '[')))
        name.insert(name.begin(), 'k');
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    // Fuzzed bytes rarely spell a header the writes then use: start some files with one.
    static const char* const kStarts[] = {"", "[Common]", "[common]\r\nIsHour=1",
                                          "\xEF\xBB\xBF[Other]\rk=1\r\n[COMMON]\n"};
    std::string file = kStarts[data.ConsumeIntegralInRange<std::size_t>(0, 3)];
    file += data.ConsumeRandomLengthString(4096);
    lumivox::IniDocument document(std::move(file));

    // Reading anything is safe and bounded.
    const std::string probeSection = data.ConsumeRandomLengthString(16);
    const std::string probeKey = data.ConsumeRandomLengthString(16);
    if (auto value = document.Value(probeSection, probeKey)) {
        Check(value->size() <= lumivox::IniDocument::kMaxValueLength);
        (void)lumivox::ParseIniInteger(*value);
        Check(document.SectionHasKeys(probeSection));
    }

    std::map<std::pair<std::string, std::string>, std::string> written;
    const int writes = data.ConsumeIntegralInRange(1, 8);
    for (int i = 0; i < writes && data.remaining_bytes() > 0; ++i) {
        const std::string section = Name(data, false);
        const std::string key = Name(data, true);
        std::string value = data.ConsumeRandomLengthString(64);
        document.SetValue(section, key, value);
        for (char& c : value)
            if (c == '\r' || c == '\n')
                c = ' ';
        written[{Lower(section), Lower(key)}] = value;
        Check(document.SectionHasKeys(section));
        for (const auto& [where, expected] : written)
            Check(document.Value(where.first, where.second) == expected);
    }

    // What was written survives being read again from the bytes alone.
    const lumivox::IniDocument reread(document.Bytes());
    for (const auto& [where, expected] : written)
        Check(reread.Value(where.first, where.second) == expected);
    return 0;
}
