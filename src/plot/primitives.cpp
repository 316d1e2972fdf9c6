#include <cassert>
#include <charconv>
#include <string_view>

#include "common/number_format.h"
#include "plot/layer_file.h"

namespace padloom::plot {

using common::decimal;

std::string apertureCode(int dcode) {
    return "D" + common::zeroPadded(dcode, 2);
}

void selectAperture(common::LineWriter& out, int dcode) {
    if (dcode < 0) {
        out.write(apertureCode(dcode)).line("*");
        return;
    }
    out.piece(32, [dcode](common::LineWriter::Cursor& c) {
        c.text(dcode < 10 ? "D0" : "D").number(dcode).text("*\r\n");
    });
}

namespace {

// "X<x>Y<y>" of the points written last on this thread: the layer files of one pass over the
// board write the same record's points one file after the other.
class PointTexts {
public:
    std::string_view of(int x, int y) {
        for (const Entry& e : m_entries) {
            if (e.size != 0 && e.x == x && e.y == y) {
                return {e.text, e.size};
            }
        }
        Entry& e = m_entries[m_next];
        m_next = (m_next + 1) % kEntries;
        char* at = e.text;
        *at++ = 'X';
        at = std::to_chars(at, e.text + sizeof e.text, x).ptr;
        *at++ = 'Y';
        at = std::to_chars(at, e.text + sizeof e.text, y).ptr;
        e.x = x;
        e.y = y;
        e.size = static_cast<unsigned char>(at - e.text);
        return {e.text, e.size};
    }

private:
    static constexpr size_t kEntries = 4;
    struct Entry {
        int x = 0, y = 0;
        unsigned char size = 0;  // 0: not yet used
        char text[32] = {};
    };
    Entry m_entries[kEntries];
    size_t m_next = 0;
};

thread_local PointTexts t_points;

}  // namespace

void plotStep(LayerFile& file, int x, int y, int op, int aperture) {
    assert(aperture >= 0);
    auto& out = file.out;
    if (aperture != file.currentAperture) {
        selectAperture(out, aperture);
        file.currentAperture = aperture;
    }
    if (file.positionUnknown()) {
        // the first step after the position was lost starts with an explicit move
        out.write("D02*X").write(x).write("Y").write(y).line("*");
        file.currentPos = {x, y};
    }
    const std::string_view lead = op == kDraw ? "D01*" : "D02*";
    const std::string_view tail = op == kDraw || op == kMove ? "*\r\n" : "*D03*\r\n";
    const std::string_view point = t_points.of(x, y);
    out.piece(64, [&](common::LineWriter::Cursor& c) {
        c.text(lead).shortText(point.data(), point.size()).text(tail);
    });
    file.currentPos = {x, y};
}

void plotArc(LayerFile& file, int cx, int cy, int radius, int quadrantMask, int aperture) {
    auto& out = file.out;
    out.endLine();
    selectAperture(out, aperture);
    file.currentAperture = aperture;
    out.write("G74*");
    int r = radius == 0 ? 1 : radius;
    auto quarter = [&](int fromX, int fromY, int toX, int toY, bool jOffset) {
        out.write("G01X").write(fromX).write("Y").write(fromY).write("D02*");
        out.write("G02X").write(toX).write("Y").write(toY);
        if (jOffset) {
            out.write("I0J").write(r).write("D01*");
        } else {
            out.write("I").write(r).write("J0D01*");
        }
        out.line("D02*G01*");
    };
    if (quadrantMask & 1) {
        quarter(cx, cy + r, cx + r, cy, true);
    }
    if (quadrantMask & 2) {
        quarter(cx - r, cy, cx, cy + r, false);
    }
    if (quadrantMask & 4) {
        quarter(cx, cy - r, cx - r, cy, true);
    }
    if (quadrantMask & 8) {
        quarter(cx + r, cy, cx, cy - r, false);
    }
    file.forgetPosition();
}

}  // namespace padloom::plot
