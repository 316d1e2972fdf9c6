#include <iostream>

#include "board/board_reader.h"
#include "cli/commands.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

void printRecord(std::ostream& out, const board::BoardReader& reader, board::RecordKind kind) {
    const auto& r = reader.record();
    out << reader.recordLine() << " " << reader.keyword();
    switch (kind) {
        case board::RecordKind::Pad:
            out << " pad x=" << r.x1 << " y=" << r.y1 << " xsize=" << r.xSize
                << " ysize=" << r.ySize << " shape=" << r.shape << " hole=" << r.holeSize
                << " plane=" << r.planeCode << " layer=" << r.layer << " name=\"" << r.text << "\"";
            break;
        case board::RecordKind::Via:
            out << " via x=" << r.x1 << " y=" << r.y1 << " size=" << r.viaSize
                << " hole=" << r.holeSize << " layer=" << r.layer;
            break;
        case board::RecordKind::Track:
            out << " track x1=" << r.x1 << " y1=" << r.y1 << " x2=" << r.x2 << " y2=" << r.y2
                << " width=" << r.width << " layer=" << r.layer;
            break;
        case board::RecordKind::Arc:
            out << " arc x=" << r.x1 << " y=" << r.y1 << " radius=" << r.radius
                << " quadrants=" << r.quadrantMask << " width=" << r.width << " layer=" << r.layer;
            break;
        case board::RecordKind::Fill:
            out << " fill x1=" << r.x1 << " y1=" << r.y1 << " x2=" << r.x2 << " y2=" << r.y2
                << " layer=" << r.layer;
            break;
        case board::RecordKind::String:
            out << " string x=" << r.x1 << " y=" << r.y1 << " height=" << r.ySize
                << " rotation=" << r.rotation << " width=" << r.width << " layer=" << r.layer
                << " text=\"" << r.text << "\"";
            break;
        case board::RecordKind::Component: {
            const auto& c = reader.component();
            auto attrs = [&](const board::TextAttributes& a) {
                out << a.x << "," << a.y << " height=" << a.height << " rotation=" << a.rotation
                    << " width=" << a.width << " layer=" << a.layer;
            };
            out << " component designator=\"" << c.designator << "\" pattern=\"" << c.pattern
                << "\" comment=\"" << c.comment << "\" comment-text=";
            attrs(c.commentText);
            out << " designator-text=";
            attrs(c.designatorText);
            out << " designator-shown=" << c.designatorShown << " comment-shown=" << c.commentShown;
            break;
        }
    }
    out << "\n";
}

const RegisterCommand dumpCommand(
    "dump", "print each record of a board file as the board reader sees it",
    [](CLI::App& app, std::function<int()>& run) {
        auto board = std::make_shared<std::string>();
        inputFiles(app.add_option("BOARD", *board, "Autotrax board file (.PCB)"))->required();
        run = [board] {
            int problems = 0;
            board::BoardReader reader(*board, [&](const std::string& message) {
                std::cerr << "warning: " << message << "\n";
                ++problems;
            });
            long records = 0;
            while (auto kind = reader.next()) {
                printRecord(std::cout, reader, *kind);
                ++records;
            }
            std::cout << records << " records\n";
            return 0;
        };
    });

}  // namespace
}  // namespace padloom::cli
