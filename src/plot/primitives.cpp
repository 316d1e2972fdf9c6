#include <algorithm>
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

// The standard apertures and regions of a recipe at (x, y).
void flashRecipe(LayerFile& file, const FlashRecipe& recipe, int x, int y) {
    for (int aperture : recipe.apertures) {
        plotStep(file, x, y, kFlash, aperture);
    }
    if (!recipe.contours.empty()) {
        writeRegion(file, recipe.contours, x, y);
    }
}

}  // namespace

void plotStep(LayerFile& file, int x, int y, int op, int aperture) {
    assert(aperture >= 0);
    if (op == kFlash && file.recipes) {
        if (auto it = file.recipes->find(aperture); it != file.recipes->end()) {
            flashRecipe(file, it->second, x, y);
            return;
        }
    }
    auto& out = file.out;
    if (aperture != file.currentAperture) {
        selectAperture(out, aperture);
        file.currentAperture = aperture;
    }
    const std::string_view point = t_points.of(x, y);
    if (file.currentSyntax) {
        // a draw from an unknown position starts where it ends, as in the older forms
        if (op == kDraw && file.positionUnknown()) {
            out.piece(64, [&](common::LineWriter::Cursor& c) {
                c.shortText(point.data(), point.size()).text("D02*\r\n");
            });
        }
        const std::string_view code = op == kDraw   ? "D01*\r\n"
                                      : op == kMove ? "D02*\r\n"
                                                    : "D03*\r\n";
        out.piece(64, [&](common::LineWriter::Cursor& c) {
            c.shortText(point.data(), point.size()).text(code);
        });
        file.currentPos = {x, y};
        return;
    }
    if (file.positionUnknown()) {
        // the first step after the position was lost starts with an explicit move
        out.write("D02*X").write(x).write("Y").write(y).line("*");
        file.currentPos = {x, y};
    }
    const std::string_view lead = op == kDraw ? "D01*" : "D02*";
    const std::string_view tail = op == kDraw || op == kMove ? "*\r\n" : "*D03*\r\n";
    out.piece(64, [&](common::LineWriter::Cursor& c) {
        c.text(lead).shortText(point.data(), point.size()).text(tail);
    });
    file.currentPos = {x, y};
}

void plotArc(LayerFile& file, int cx, int cy, int radius, int quadrantMask, int aperture) {
    auto& out = file.out;
    const int r = radius == 0 ? 1 : radius;
    if (file.currentSyntax) {
        if (aperture != file.currentAperture) {
            selectAperture(out, aperture);
            file.currentAperture = aperture;
        }
        // each quarter clockwise, its centre offset signed from its start
        auto quarter = [&](long long fromX, long long fromY, long long toX, long long toY) {
            out.write("X").write(fromX).write("Y").write(fromY).write("D02*G02*");
            out.write("X").write(toX).write("Y").write(toY);
            out.write("I").write(cx - fromX).write("J").write(cy - fromY).line("D01*G01*");
        };
        const long long x = cx, y = cy;
        if (quadrantMask & 1) {
            quarter(x, y + r, x + r, y);
        }
        if (quadrantMask & 2) {
            quarter(x - r, y, x, y + r);
        }
        if (quadrantMask & 4) {
            quarter(x, y - r, x - r, y);
        }
        if (quadrantMask & 8) {
            quarter(x + r, y, x, y - r);
        }
        file.forgetPosition();
        return;
    }
    out.endLine();
    selectAperture(out, aperture);
    file.currentAperture = aperture;
    out.write("G74*");
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

void writeRegion(LayerFile& file, std::span<const Contour> contours, long long dx, long long dy) {
    auto& out = file.out;
    const bool arcs = std::any_of(contours.begin(), contours.end(), [](const Contour& c) {
        return std::any_of(c.begin(), c.end(),
                           [](const ContourPoint& p) { return p.reach != Reach::Line; });
    });
    if (arcs && !file.currentSyntax) {
        out.line("G75*");
    }
    out.line("G36*");
    Reach mode = Reach::Line;
    for (const Contour& contour : contours) {
        for (size_t i = 0; i < contour.size(); ++i) {
            const ContourPoint& p = contour[i];
            if (i > 0 && p.reach != mode) {
                mode = p.reach;
                out.write(mode == Reach::Line        ? "G01*"
                          : mode == Reach::Clockwise ? "G02*"
                                                     : "G03*");
            }
            out.write("X").write(p.x + dx).write("Y").write(p.y + dy);
            if (i > 0 && p.reach != Reach::Line) {
                const ContourPoint& from = contour[i - 1];
                out.write("I").write(p.cx - from.x).write("J").write(p.cy - from.y);
            }
            out.line(i == 0 ? "D02*" : "D01*");
        }
    }
    out.line("G37*");
    if (mode != Reach::Line) {
        out.line("G01*");
    }
    file.forgetPosition();
}

}  // namespace padloom::plot
