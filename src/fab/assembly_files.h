#pragma once

#include <string>
#include <vector>

#include "annotate/placement.h"
#include "fab/fab_profile.h"

namespace padloom::fab {

/// The assembly files of a board in a profile's formats, as CSV text with CR LF line ends.
struct AssemblyFiles {
    std::string cpl;  // placement: a header, then one row per part
    std::string bom;  // bill of materials: a header, then one row per comment and footprint
    /// What an assembler should be told: designators that name more than one part, parts
    /// whose rotation could not be told.
    std::vector<std::string> notes;
};

/// Writes the parts into the CPL and BOM of `profile`. Both name the parts by the same
/// designators (in capitals where the profile asks); rows are in designator order (R2 before
/// R10). CPL positions are the parts' centres seen from the top, in the profile's units;
/// rotations are counted in the profile's sense from the X/Y file's 0 (pin 1 left of the
/// centre), an unknown one written as 0 and noted.
AssemblyFiles assemblyFiles(std::vector<annotate::PlacedPart> parts, const FabProfile& profile);

/// A length in mils as millimetres with four decimals ("25.4000" for 1000), exact for any
/// whole number of mils.
std::string millimetresOfMils(long long mils);

/// A CSV field as it is when it holds no comma, double quote or line end, else in double
/// quotes with each double quote inside doubled.
std::string csvField(const std::string& text);

}  // namespace padloom::fab
