#include "plot/plane_area.h"

#include <algorithm>
#include <cstdlib>

#include "board/board_reader.h"
#include "plot/board_outline.h"
#include "plot/stroke_font.h"

namespace padloom::plot {

namespace {

bool isCopper(int boardLayer) {
    return (boardLayer >= 1 && boardLayer <= 6) || boardLayer == board::kMultiLayer;
}

// The extents of boxes, taken wide: a box's corners may lie past what an int holds.
struct Box {
    long long x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty = true;
    void add(long long x, long long y, long long half) {
        if (empty) {
            x0 = x - half, y0 = y - half, x1 = x + half, y1 = y + half;
            empty = false;
            return;
        }
        x0 = std::min(x0, x - half), y0 = std::min(y0, y - half);
        x1 = std::max(x1, x + half), y1 = std::max(y1, y + half);
    }
};

void addText(Box& box, const board::TextAttributes& t, const std::string& text) {
    if (!isCopper(t.layer)) {
        return;
    }
    forEachTextStroke(t.x, t.y, text, t.height, t.rotation,
                      [&](long long x1, long long y1, long long x2, long long y2) {
                          box.add(x1, y1, t.width / 2);
                          box.add(x2, y2, t.width / 2);
                      });
}

}  // namespace

board::Extents copperExtent(const board::RunValues& rv) {
    Box box;
    board::BoardReader reader(rv.boardFile, rv.boardImage);
    while (auto kind = reader.next()) {
        const board::CurrentRecord& r = reader.record();
        switch (*kind) {
            case board::RecordKind::Pad:
                if (isCopper(r.layer)) {
                    box.add(r.x1 - r.xSize / 2, r.y1 - r.ySize / 2, 0);
                    box.add(r.x1 + r.xSize / 2, r.y1 + r.ySize / 2, 0);
                }
                break;
            case board::RecordKind::Via:
                box.add(r.x1, r.y1, r.viaSize / 2);
                break;
            case board::RecordKind::Track:
                if (isCopper(r.layer)) {
                    box.add(r.x1, r.y1, r.width / 2);
                    box.add(r.x2, r.y2, r.width / 2);
                }
                break;
            case board::RecordKind::Arc:
                if (isCopper(r.layer)) {
                    // the whole circle: a close enough bound for a plane's extent
                    box.add(r.x1, r.y1, std::max(r.radius, 1) + r.width / 2);
                }
                break;
            case board::RecordKind::Fill:
                if (isCopper(r.layer)) {
                    box.add(r.x1, r.y1, 0);
                    box.add(r.x2, r.y2, 0);
                }
                break;
            case board::RecordKind::String:
                addText(box, {r.x1, r.y1, r.ySize, r.rotation, r.width, r.layer}, r.text);
                break;
            case board::RecordKind::Component: {
                const board::ComponentHeader& c = reader.component();
                if (c.commentShown == 1) {
                    addText(box, c.commentText, c.comment);
                }
                if (c.designatorShown == 1) {
                    addText(box, c.designatorText, c.designator);
                }
                break;
            }
        }
    }
    board::Extents e;
    if (!box.empty) {
        auto clamp = [](long long v) {
            return static_cast<int>(std::clamp<long long>(v, -board::kFieldLimit * 2LL,
                                                          board::kFieldLimit * 2LL));
        };
        e.minX = clamp(box.x0), e.minY = clamp(box.y0);
        e.maxX = clamp(box.x1), e.maxY = clamp(box.y1);
    }
    return e;
}

std::vector<Contour> outlineContours(const BoardOutline& outline) {
    std::vector<Contour> contours;
    for (size_t loop = 0; loop < outline.loopStarts.size(); ++loop) {
        const size_t begin = outline.loopStarts[loop];
        const size_t end =
            loop + 1 < outline.loopStarts.size() ? outline.loopStarts[loop + 1] : outline.pieces.size();
        if (begin >= end) {
            continue;
        }
        Contour contour{{outline.pieces[begin].x1, outline.pieces[begin].y1}};
        for (size_t i = begin; i < end; ++i) {
            const OutlinePiece& p = outline.pieces[i];
            // pieces joined within a few mils: the region goes straight across the gap
            if (contour.back().x != p.x1 || contour.back().y != p.y1) {
                contour.push_back({p.x1, p.y1});
            }
            if (p.arc()) {
                const long long cross = (static_cast<long long>(p.x1) - p.cx) * (p.y2 - p.cy) -
                                        (static_cast<long long>(p.y1) - p.cy) * (p.x2 - p.cx);
                contour.push_back({p.x2, p.y2, cross > 0 ? Reach::CounterClockwise : Reach::Clockwise,
                                   p.cx, p.cy});
            } else {
                contour.push_back({p.x2, p.y2});
            }
        }
        if (contour.back().x != contour.front().x || contour.back().y != contour.front().y) {
            contour.push_back(contour.front());
        }
        contours.push_back(std::move(contour));
    }
    return contours;
}

PlaneArea planeAreaOf(const board::RunValues& rv, const BoardOutline* outline) {
    PlaneArea area;
    area.contours = outlineContours(
        outline ? *outline : findBoardOutline(rv.boardFile, OutlineSource::Auto, rv.boardImage));
    if (!area.contours.empty()) {
        return area;
    }
    const board::Extents e = copperExtent(rv);
    if (!e.empty()) {
        area.contours.push_back(
            {{e.minX, e.minY}, {e.maxX, e.minY}, {e.maxX, e.maxY}, {e.minX, e.maxY}, {e.minX, e.minY}});
    }
    return area;
}

}  // namespace padloom::plot
