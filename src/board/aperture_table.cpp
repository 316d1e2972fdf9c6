#include "board/aperture_table.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "common/errors.h"
#include "common/text_io.h"

namespace padloom::board {

namespace {

constexpr std::string_view kNamesWritten[] = {
    "CIRCULAR   ", "RECTANGULAR", "OCTAGONAL  ", "ROUNDRECT  ", "CROSSHAIR  ",
    "MOIRE      ", "RELIEF     ", "REL_E_RND  ", "REL_E_RECT ", "REL_E_RRECT"};
constexpr std::string_view kNamesRead[] = {"CIRCULAR",   "RECTANGULAR", "OCTAGONAL", "ROUNDRECT",
                                           "CROSSHAIR",  "MOIRE",       "RELIEF",    "REL_E_RND",
                                           "REL_E_RECT", "REL_E_RRECT"};

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ')';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A run of characters up to the next separator, read digit by digit; any other character
// counts as the digit 0. Saturates instead of overflowing.
int digitRun(std::string_view line, size_t& i) {
    long long value = 0;
    while (i < line.size() && !isSeparator(line[i])) {
        int digit = isDigit(line[i]) ? line[i] - '0' : 0;
        value = std::min<long long>(value * 10 + digit, std::numeric_limits<int>::max());
        ++i;
    }
    return static_cast<int>(value);
}

}  // namespace

std::string_view shapeNameWritten(int code) {
    if (code < 1 || code > 10) {
        return "";
    }
    return kNamesWritten[code - 1];
}

std::optional<int> shapeCodeOf(std::string_view name) {
    for (int i = 0; i < 10; ++i) {
        if (name == kNamesRead[i]) {
            return i + 1;
        }
    }
    return std::nullopt;
}

AptLine ParseAptLine(std::string_view line) {
    AptLine result;
    size_t i = 1;  // the first character is the "D"
    result.dcode = digitRun(line, i);
    while (i < line.size() && isSeparator(line[i])) {
        ++i;
    }
    while (i < line.size() && !isSeparator(line[i])) {
        char c = line[i++];
        result.name.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    while (i < line.size() && !isDigit(line[i])) {
        ++i;
    }
    result.xSize = digitRun(line, i);
    while (i < line.size() && !isDigit(line[i])) {
        ++i;
    }
    result.ySize = digitRun(line, i);
    return result;
}

size_t ApertureTable::hashOf(int shape, int xSize, int ySize) {
    constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15u;
    std::uint64_t h = static_cast<std::uint32_t>(shape);
    h = h * kMix + static_cast<std::uint32_t>(xSize);
    h = h * kMix + static_cast<std::uint32_t>(ySize);
    return static_cast<size_t>((h * kMix) >> 32);
}

void ApertureTable::clear() {
    m_entries.clear();
    m_slots.clear();
    m_used = 0;
}

void ApertureTable::grow() {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    const size_t mask = m_slots.size() - 1;
    for (const Slot& s : old) {
        if (s.used) {
            size_t i = hashOf(s.shape, s.xSize, s.ySize) & mask;
            while (m_slots[i].used) {
                i = (i + 1) & mask;
            }
            m_slots[i] = s;
        }
    }
}

void ApertureTable::add(const ApertureEntry& entry) {
    m_entries.push_back(entry);
    if (2 * (m_used + 1) > m_slots.size()) {
        grow();
    }
    const size_t mask = m_slots.size() - 1;
    size_t i = hashOf(entry.shape, entry.xSize, entry.ySize) & mask;
    for (; m_slots[i].used; i = (i + 1) & mask) {
        const Slot& s = m_slots[i];
        if (s.shape == entry.shape && s.xSize == entry.xSize && s.ySize == entry.ySize) {
            return;  // an earlier entry of the same shape and sizes: the first match wins
        }
    }
    m_slots[i] = Slot{entry.shape, entry.xSize, entry.ySize, entry.dcode, true};
    ++m_used;
}

std::optional<int> ApertureTable::addLine(const AptLine& line) {
    auto code = shapeCodeOf(line.name);
    if (code) {
        add(ApertureEntry{*code, line.xSize, line.ySize, line.dcode});
    }
    return code;
}

int ApertureTable::FindAperture(int shape, int xSize, int ySize) const {
    if (m_slots.empty()) {
        return kNotFound;
    }
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hashOf(shape, xSize, ySize) & mask; m_slots[i].used; i = (i + 1) & mask) {
        const Slot& s = m_slots[i];
        if (s.shape == shape && s.xSize == xSize && s.ySize == ySize) {
            return s.dcode;
        }
    }
    return kNotFound;
}

void ApertureTable::load(const std::string& path) {
    clear();
    common::LineReader reader(path);
    refuseBinaryAptFile(reader);
    std::string line;
    while (reader.next(line)) {
        addLine(ParseAptLine(line));
    }
    refuseEmptyAptFile(*this, path);
}

void refuseBinaryAptFile(const common::LineReader& reader) {
    if (reader.looksBinary()) {
        throw common::FormatError(reader.path(),
                                  "not an aperture file: it holds binary data, not text");
    }
}

void refuseEmptyAptFile(const ApertureTable& table, const std::string& path) {
    if (table.size() == 0) {
        throw common::FormatError(path,
                                  "not an aperture file: no line defines an aperture (D-code, "
                                  "shape, sizes)");
    }
}

int enlarged(int size, int by) {
    long long sum = static_cast<long long>(size) + by;
    return static_cast<int>(std::clamp<long long>(sum, 0, std::numeric_limits<int>::max()));
}

std::optional<int> outerReliefShape(int padShape) {
    switch (padShape) {
        case kCircular:
            return kRelExtRound;
        case kRectangular:
            return kRelExtRect;
        case kRoundRect:
            return kRelExtRRect;
        default:
            return std::nullopt;
    }
}

PadApertures resolvePad(const ApertureTable& t, const CurrentRecord& r, const Enlargements& e,
                        unsigned wanted) {
    PadApertures a;
    if (wanted & kPadOwn) {
        a.pad = t.FindAperture(r.shape, r.xSize, r.ySize);
    }
    if (wanted & kPadSolderMask) {
        a.solderMask = t.FindAperture(r.shape, enlarged(r.xSize, e.solderMask),
                                      enlarged(r.ySize, e.solderMask));
    }
    if (wanted & kPadPaste) {
        a.paste = t.FindAperture(r.shape, enlarged(r.xSize, e.paste), enlarged(r.ySize, e.paste));
    }
    if (wanted & kPadPlaneClearance) {
        a.planeClearance =
            t.FindAperture(kCircular, enlarged(r.xSize, e.plane), enlarged(r.ySize, e.plane));
    }
    if (wanted & kPadPourClearance) {
        a.pourClearance =
            t.FindAperture(r.shape, enlarged(r.xSize, e.pour), enlarged(r.ySize, e.pour));
    }
    if (!(wanted & kPadReliefs)) {
        return a;
    }
    if (r.planeCode == 2) {
        a.groundRelief = t.FindAperture(kRelief, r.xSize, r.ySize);
    }
    if (r.planeCode == 4) {
        a.powerRelief = t.FindAperture(kRelief, r.xSize, r.ySize);
    }
    if (auto relief = outerReliefShape(r.shape)) {
        a.outerRelief = t.FindAperture(*relief, r.xSize, r.ySize);
    }
    if (r.planeCode == 3) {
        a.groundRelief = 0;
    }
    if (r.planeCode == 5) {
        a.powerRelief = 0;
    }
    return a;
}

ViaApertures resolveVia(const ApertureTable& t, const CurrentRecord& r, const Enlargements& e,
                        unsigned wanted) {
    ViaApertures a;
    int s = r.viaSize;
    if (wanted & kViaOwn) {
        a.pad = t.FindAperture(kCircular, s, s);
    }
    if (wanted & kViaSolderMask) {
        a.solderMask =
            t.FindAperture(kCircular, enlarged(s, e.solderMask), enlarged(s, e.solderMask));
    }
    if (wanted & kViaPlaneClearance) {
        a.planeClearance = t.FindAperture(kCircular, enlarged(s, e.plane), enlarged(s, e.plane));
    }
    if (wanted & kViaPourClearance) {
        a.pourClearance = t.FindAperture(kCircular, enlarged(s, e.pour), enlarged(s, e.pour));
    }
    return a;
}

int resolveLineDraw(const ApertureTable& t, const CurrentRecord& r) {
    return t.FindAperture(kCircular, r.width, r.width);
}

LineApertures resolveLine(const ApertureTable& t, const CurrentRecord& r, const Enlargements& e) {
    LineApertures a;
    a.draw = resolveLineDraw(t, r);
    a.pourClearance =
        t.FindAperture(kCircular, enlarged(r.width, e.pour), enlarged(r.width, e.pour));
    return a;
}

int resolveString(const ApertureTable& t, const CurrentRecord& r) {
    return t.FindAperture(kCircular, r.width, r.width);
}

int resolveFill(const ApertureTable& t, const CurrentRecord& r) {
    return t.FindAperture(kRectangular, std::abs(r.x2 - r.x1), std::abs(r.y2 - r.y1));
}

ComponentApertures resolveComponent(const ApertureTable& t, const ComponentHeader& c) {
    ComponentApertures a;
    a.comment = t.FindAperture(kCircular, c.commentText.width, c.commentText.width);
    a.designator = t.FindAperture(kCircular, c.designatorText.width, c.designatorText.width);
    return a;
}

}  // namespace padloom::board
