#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/errors.h"
#include "common/host.h"

namespace padloom::annotate {

/// The two edit boxes of the resize panel, as typed.
struct TextResizeOptions {
    std::string height = "24";  // "String Size", mils
    std::string width = "4";    // "Line Width", mils
};

/// A size typed in one of the edit boxes as a whole number of mils, 0 or more (blanks around
/// it allowed); nothing for anything else ("", "2 4", "2.5").
std::optional<int> textSizeValue(std::string_view typed);

/// A designator attribute line with its third field (height) and fifth field (stroke width)
/// replaced in place; every other character, leading blanks, doubled blanks and whatever
/// follows the layer field included, stays as it was. Fields are cut as the board reader
/// cuts them (blank, TAB, "," and ")" separate). Nothing when the line has fewer than six
/// fields.
std::optional<std::string> resizedAttributeLine(std::string_view line, std::string_view height,
                                                std::string_view width);

/// Copies a board to the board name with ".NEW", setting the designator text height and
/// stroke width of every component header. Records are stepped over whole, so a string whose
/// text reads "COMP" starts nothing. A designator line with fewer than six fields is copied
/// unchanged and reported in the message list. Refuses, with a message and nothing written,
/// when the sizes are not whole numbers of 0 or more or when the output would be the board
/// itself. Throws IoError.
common::Outcome resizeComponentText(common::Host& host, const std::string& boardPath,
                                    const TextResizeOptions& options);

/// "Change Size": checks the sizes, asks for the board in the open dialog, checks that it
/// exists ("Invalid file name!"), adds its path to the message list and resizes. Throws IoError.
common::Outcome changeComponentTextSize(common::Host& host, const TextResizeOptions& options);

}  // namespace padloom::annotate
