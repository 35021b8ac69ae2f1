// The tips parser over arbitrary bodies: it must hold at most 128 tips, each a
// piece of one line, and pick only among them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tips/lvwebtips.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    lvWebTips tips(static_cast<std::uint32_t>(size));
    tips.ParseContent(body);
    if (tips.TipCount < 0 || tips.TipCount > lvWebTips::kMaxTips)
        std::abort();
    std::size_t held = 0;
    for (int i = 0; i < lvWebTips::kMaxTips; ++i) {
        const std::string& text = tips.TipText[i];
        const std::string& link = tips.TipLink[i];
        if (i >= tips.TipCount) {
            if (!text.empty() || !link.empty())
                std::abort();
            continue;
        }
        for (const std::string* part : {&text, &link}) {
            if (part->find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
                std::abort();
        }
        if (text.find("@#$") != std::string::npos)
            std::abort();
        held += text.size() + 3 + link.size();
    }
    if (held > size)
        std::abort();
    if (tips.TipCount > 0) {
        for (int i = 0; i < 8; ++i) {
            const int pick = tips.PickTip();
            if (pick < 0 || pick >= tips.TipCount)
                std::abort();
        }
    }
    return 0;
}
