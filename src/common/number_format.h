#pragma once

#include <string>

namespace padloom::common {

/// Plain decimal integer, "-" in front when negative.
std::string decimal(long long value);

/// Decimal integer padded on the left with "0" to at least `width` characters (a negative
/// value keeps its "-" in front of the zeros).
std::string zeroPadded(long long value, int width);

/// Inch value, form A, of a size in mils: ".062" for 62, "1.500" for 1500. Sizes below 0 are
/// written as 0.
std::string inchFormA(long long mils);

/// Inch value, form B: as form A with a "0" before the point below one inch ("0.015").
std::string inchFormB(long long mils);

/// Inch value, form F: mils / 1000 as a real number, rounded to three significant digits and
/// written in fixed point with exactly three decimals ("0.100" for 100, "0.007" for 6.7).
std::string inchFormF(double mils);

/// Inch text of the drill drawing: mils / 1000 with exactly three decimals and at most four
/// significant digits ("2.500" for 2500). From ten inches on the value is rounded to 10 mils,
/// halves up, so its last decimal is 0 ("12.350" for 12345).
std::string inchText(long long mils);

}  // namespace padloom::common

namespace padloom::common {

/// DXF value of a length in mils: the length in inches in its shortest decimal form, with a
/// decimal point only where needed ("1.5" for 1500, "2" for 2000, "0.031" for 31, "-0.001"
/// for -1). Exact for every integer number of mils.
std::string dxfInches(long long mils);

}  // namespace padloom::common
