#include "view/reader_support.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace padloom::view {

namespace {
constexpr size_t kMaxListed = 200;
}

ProblemList::~ProblemList() {
    // in file order, though a block's problems may be found only when the block is closed;
    // those of the whole file (line 0) after them
    auto order = [](const Problem& p) { return p.line > 0 ? p.line : LONG_MAX; };
    std::stable_sort(m_image.problems.begin(), m_image.problems.end(),
                     [&](const Problem& a, const Problem& b) { return order(a) < order(b); });
    if (m_dropped > 0) {
        m_image.problems.push_back(
            {m_worstDropped, 0, std::to_string(m_dropped) + " more problems not listed"});
    }
}

void ProblemList::add(Severity severity, long line, std::string message) {
    if (m_image.problems.size() >= kMaxListed) {
        ++m_dropped;
        m_worstDropped = std::max(m_worstDropped, severity);
        return;
    }
    m_image.problems.push_back({severity, line, std::move(message)});
}

std::string clipped(std::string_view text) {
    std::string shown = text.size() <= 40 ? std::string(text) : std::string(text.substr(0, 37));
    // a damaged or binary file must not put control codes or broken characters on the terminal
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) {
            c = '?';
        }
    }
    return text.size() <= 40 ? shown : shown + "...";
}

std::optional<double> readFixedNumber(std::string_view text, int integerDigits, int decimals,
                                      bool trailingZerosOmitted) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    double value = 0;
    if (text.find('.') != text.npos) {
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size()) {
            return std::nullopt;
        }
    } else {
        if (text.size() > 18) {
            return std::nullopt;
        }
        long long digits = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), digits);
        if (ec != std::errc() || end != text.data() + text.size()) {
            return std::nullopt;
        }
        int places =
            trailingZerosOmitted ? static_cast<int>(text.size()) - integerDigits : decimals;
        value = static_cast<double>(digits) / std::pow(10.0, places);
    }
    return negative ? -value : value;
}

std::string describeFormat(int integerDigits, int decimals, char zeros, bool incremental,
                           bool given) {
    std::string text = std::to_string(integerDigits) + "." + std::to_string(decimals);
    text += zeros == 'T'   ? ", trailing zeros omitted"
            : zeros == 'L' ? ", leading zeros omitted"
                           : ", no zeros omitted";
    text += incremental ? ", incremental" : ", absolute";
    if (!given) {
        text += " (assumed)";
    }
    return text;
}

}  // namespace padloom::view
