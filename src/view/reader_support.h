#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "view/layer_image.h"

namespace padloom::view {

/// Collects the problems of one file; after a few hundred it only counts them, so a file of
/// garbage cannot flood the list.
class ProblemList {
public:
    explicit ProblemList(LayerImage& image) : m_image(image) {}
    ~ProblemList();
    ProblemList(const ProblemList&) = delete;
    ProblemList& operator=(const ProblemList&) = delete;
    void add(Severity severity, long line, std::string message);

private:
    LayerImage& m_image;
    long m_dropped = 0;
    Severity m_worstDropped = Severity::Note;
};

/// At most 40 characters of a statement, for messages; bytes that are not printable ASCII are
/// shown as "?".
std::string clipped(std::string_view text);

/// A coordinate without or with a decimal point ("-00950", "1500", "1.25"). Without one, the
/// digits are read with `decimals` decimal places, or, when trailing zeros are omitted, from
/// the left with `integerDigits` integer places. Empty or malformed text gives nothing.
std::optional<double> readFixedNumber(std::string_view text, int integerDigits, int decimals,
                                      bool trailingZerosOmitted);

/// "2.3, leading zeros omitted, absolute", for the file's summary.
std::string describeFormat(int integerDigits, int decimals, char zeros, bool incremental,
                           bool given);

}  // namespace padloom::view
