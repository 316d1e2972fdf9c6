#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/errors.h"
#include "common/host.h"

namespace padloom::annotate {

/// Caption and prompt of the component height question.
inline constexpr std::string_view kHeightCaption = "Component height entry";
inline constexpr std::string_view kHeightPromptPrefix = "height for ";

/// The height proposed for a component from its comment: up to ten characters after a
/// leading "h=" ("h=250" proposes "250"); nothing for any other comment ("H=250", "10K").
std::string heightProposal(std::string_view comment);

/// A height typed by the user, in mils: a whole number, blanks around it allowed. Anything
/// else (empty, "2.5", "3mm") gives nothing.
std::optional<int> parseHeight(std::string_view text);

/// Exports a board as an ASCII DXF drawing beside it (the board name with ".DXF"): pads of
/// the outer and Multi layers with their holes, the board outline, component overlay
/// outlines raised to each component's height, and texts. Component heights come from the
/// height file beside the board (".DAT"); a pattern not yet in it is asked for through the
/// Host's one-line input, and the answer appended. Adds ".DXF", one line per component and
/// "Done" to the message list. Refuses (Outcome::Refused, with a message) when an output would
/// be the board itself. Throws IoError.
common::Outcome createDxf(common::Host& host, const std::string& boardPath);

/// "Make DXF": asks for the board in the open dialog, checks that it exists ("Invalid file
/// name!"), adds its path to the message list and exports it. Throws IoError.
common::Outcome makeDxf(common::Host& host);

}  // namespace padloom::annotate
