#include "common/number_format.h"

#include <charconv>
#include <cmath>

namespace padloom::common {

std::string decimal(long long value) {
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, result.ptr);
}

std::string zeroPadded(long long value, int width) {
    std::string text = decimal(value < 0 ? -value : value);
    if (static_cast<int>(text.size()) < width) {
        text.insert(0, width - text.size(), '0');
    }
    return value < 0 ? "-" + text : text;
}

namespace {
// "whole.fff" from a non-negative number of thousandths; `zeroBeforePoint` writes "0." below 1.
std::string thousandths(long long value, bool zeroBeforePoint) {
    bool negative = value < 0;
    if (negative) {
        value = -value;
    }
    std::string text = negative ? "-" : "";
    if (value >= 1000 || zeroBeforePoint) {
        text += decimal(value / 1000);
    }
    return text + "." + zeroPadded(value % 1000, 3);
}
}  // namespace

std::string inchFormA(long long mils) {
    return thousandths(mils < 0 ? 0 : mils, false);
}

std::string inchFormB(long long mils) {
    return thousandths(mils < 0 ? 0 : mils, true);
}

std::string inchFormF(double mils) {
    double inches = mils / 1000.0;
    if (inches != 0.0 && std::isfinite(inches)) {
        // round to three significant digits, halves away from zero
        int exponent = static_cast<int>(std::floor(std::log10(std::fabs(inches))));
        double scale = std::pow(10.0, 2 - exponent);
        inches = std::round(inches * scale) / scale;
    } else {
        inches = 0.0;
    }
    return thousandths(std::llround(inches * 1000.0), true);
}

std::string inchText(long long mils) {
    if (mils >= 10000) {
        mils = (mils + 5) / 10 * 10;
    } else if (mils <= -10000) {
        mils = (mils - 5) / 10 * 10;
    }
    return thousandths(mils, true);
}

}  // namespace padloom::common

namespace padloom::common {

std::string dxfInches(long long mils) {
    const bool negative = mils < 0;
    const unsigned long long magnitude =
        negative ? 0ULL - static_cast<unsigned long long>(mils) : mils;
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / 1000);
    unsigned long long fraction = magnitude % 1000;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, 3 - digits.size(), '0');
        while (digits.back() == '0') {
            digits.pop_back();
        }
        text += "." + digits;
    }
    return text;
}

}  // namespace padloom::common
