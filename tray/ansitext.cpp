#include "tray/ansitext.h"

namespace lumivox {

namespace {
// Bytes of the UTF-8 sequence that starts with lead; a stray continuation byte
// counts alone.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return 4;
}
} // namespace

std::size_t Cp936Length(std::string_view utf8) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            bytes += 1;
            i += 1;
        } else {
            bytes += 2;
            i += SequenceLength(lead);
        }
    }
    return bytes;
}

} // namespace lumivox
