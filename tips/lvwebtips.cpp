#include "tips/lvwebtips.h"

#include "tips/tipsfile.h"

namespace {
constexpr std::string_view kSeparator = "@#$";
}

lvWebTips::lvWebTips() : lvWebTips(lumivox::CalendarSeed()) {}

lvWebTips::lvWebTips(std::uint32_t seed) : random_(seed) {}

void lvWebTips::ParseTips(const std::string& path) {
    ParseContent(lumivox::ReadTipsFile(path));
}

void lvWebTips::ParseContent(std::string_view content) {
    for (int i = 0; i < TipCount; ++i) {
        TipText[i].clear();
        TipLink[i].clear();
    }
    TipCount = 0;

    content = content.substr(0, content.find('\0'));
    std::size_t start = 0;
    while (start < content.size() && TipCount < kMaxTips) {
        std::size_t end = content.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = content.size();
        const std::string_view line = content.substr(start, end - start);
        start = end + 1;
        if (end + 1 < content.size() && content[end] == '\r' && content[end + 1] == '\n')
            ++start;

        const std::size_t separator = line.find(kSeparator);
        if (line.empty() || separator == std::string_view::npos)
            continue;
        TipText[TipCount].assign(line.substr(0, separator));
        TipLink[TipCount].assign(line.substr(separator + kSeparator.size()));
        ++TipCount;
    }
}

int lvWebTips::PickTip() {
    return random_.Pick(TipCount);
}
