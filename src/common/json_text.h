#pragma once

#include <string>
#include <string_view>

namespace padloom::common {

/// A JSON string of bytes, quotes included; bytes of 0x80 and above are taken as Latin-1, as
/// the desktop program shows them.
std::string jsonString(std::string_view s);

}  // namespace padloom::common
