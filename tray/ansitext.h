// Byte length of UTF-8 text once encoded in the Simplified Chinese code page (936).
#pragma once
#include <cstddef>
#include <string_view>

namespace lumivox {

// ASCII takes one byte, every other character two (the double-byte form of the
// code page; characters it lacks are counted as two as well, so a limit checked
// with this never lets through more than the code page would).
std::size_t Cp936Length(std::string_view utf8);

} // namespace lumivox
