// Which tip links may be handed to the shell. Links come over plain HTTP, so only
// web addresses pass: nothing that could start a program or open a local file.
#pragma once
#include <string>
#include <string_view>

namespace lumivox {

// The link without surrounding blanks when it is an http or https address that
// names a host; empty otherwise. Quotes, blanks and control characters inside are
// refused too: a shell command line could split the address at them.
std::string OpenableWebLink(std::string_view link);

} // namespace lumivox
