#include "convert/pcb_to_apt.h"

#include <stdexcept>

namespace padloom::convert {

// Placeholder until the aperture builder lands.
AptBuild buildApertureList(const std::string&, const AptOptions&) {
    throw std::logic_error("the aperture builder is not available yet");
}
std::string aptFileText(const std::vector<AptEntry>&) { return {}; }
std::string tolFileText(const std::vector<board::DrillTallyEntry>&) { return {}; }
common::Outcome makeAptFile(common::Host& host, const AptOptions&, board::RunValues&) {
    host.show(common::Box::Info, "This tool is not available yet.", common::Place::Screen);
    return common::Outcome::Cancelled;
}

}  // namespace padloom::convert
