#pragma once

#include <string>
#include <string_view>

namespace padloom::common {

/// A JSON string of bytes, quotes included; bytes of 0x80 and above are taken as Latin-1, as
/// the desktop program shows them, and written as \u escapes like the control characters.
std::string jsonString(std::string_view bytes);

}  // namespace padloom::common
