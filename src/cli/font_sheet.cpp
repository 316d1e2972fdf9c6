#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <system_error>

#include "board/aperture_table.h"
#include "cli/commands.h"
#include "common/text_io.h"
#include "plot/gerber_header.h"
#include "plot/layer_file.h"
#include "plot/stroke_font.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

// Apertures of the sheet: the glyph pen, the label pen and the origin marks of the rotated
// words.
constexpr int kGlyphPen = 10;
constexpr int kLabelPen = 11;
constexpr int kOriginMark = 12;

constexpr int kGlyphHeight = 120;  // 20 mils per font unit
constexpr int kLabelHeight = 42;   // 7 mils per font unit
constexpr int kColumns = 16;
constexpr int kCellWidth = 220;
constexpr int kRowPitch = 340;
constexpr int kLeft = 300;
constexpr int kTop = 8000;

/// A small aperture file in the temporary folder, removed again when the sheet is done.
class TempApertureFile {
public:
    TempApertureFile() {
        std::random_device random;
        auto dir = std::filesystem::temp_directory_path();
        do {
            m_path = (dir / ("padloom-font-sheet-" + std::to_string(random()) + ".apt")).string();
        } while (std::filesystem::exists(m_path));
        common::LineWriter out(m_path);
        auto circle = [&](int dcode, int size) {
            out.write("D").write(dcode).write("\tCIRCULAR   \t").write(size).write("\t");
            out.write(size).line("\t0\tMULTI");
        };
        circle(kGlyphPen, 12);
        circle(kLabelPen, 6);
        circle(kOriginMark, 30);
        out.commit();
    }
    ~TempApertureFile() {
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }
    TempApertureFile(const TempApertureFile&) = delete;
    TempApertureFile& operator=(const TempApertureFile&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

/// Every glyph of the stroke font in rows of 16 with its character code below it, sample
/// lines of running text, and a sample word in each of the eight rotation codes with its
/// start point flashed.
void writeFontSheet(const std::string& outPath) {
    TempApertureFile apertures;
    plot::LayerFile file(outPath);
    board::ApertureTable table;
    plot::writeApertureDefinitions(file, 1, apertures.path(), 0, table);

    auto text = [&](int x, int y, std::string_view s, int height, int rotation, int pen) {
        plot::plotText(file, x, y, pen, s, height, rotation);
    };

    text(kLeft, kTop, "Padloom stroke font, codes 32 to 126", kGlyphHeight, 0, kGlyphPen);

    // the glyph table
    int y = kTop - 420;
    for (int code = 32; code <= 126; ++code) {
        int column = (code - 32) % kColumns;
        int row = (code - 32) / kColumns;
        int x = kLeft + column * kCellWidth;
        int baseline = y - row * kRowPitch;
        char c = static_cast<char>(code);
        text(x, baseline, std::string_view(&c, 1), kGlyphHeight, 0, kGlyphPen);
        text(x, baseline - 110, std::to_string(code), kLabelHeight, 0, kLabelPen);
    }

    // running text at the same height
    y -= 6 * kRowPitch + 80;
    for (std::string_view line :
         {"The quick brown fox jumps over the lazy dog.",
          "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG!",
          "0123456789 R12 C3 U7 10uF 4k7 +5V GND (a) [b] {c}", "#$%&'*,-./:;<=>?@\\^_`|~\""}) {
        text(kLeft, y, line, kGlyphHeight, 0, kGlyphPen);
        y -= 260;
    }

    // one sample word in each rotation code, from its flashed start point
    constexpr int kRotations[] = {0, 1, 2, 3, 16, 17, 18, 19};
    constexpr int kRotationCell = 1900;
    int top = y - 200;
    for (int i = 0; i < 8; ++i) {
        int cellX = kLeft + (i % 4) * kRotationCell;
        int cellY = top - (i / 4) * kRotationCell;
        int rotation = kRotations[i];
        text(cellX, cellY, "rotation " + std::to_string(rotation), kLabelHeight * 2, 0, kLabelPen);
        int ox = cellX + kRotationCell / 2 - 100;
        int oy = cellY - kRotationCell / 2 - 50;
        plot::plotStep(file, ox, oy, plot::kFlash, kOriginMark);
        text(ox, oy, "Padloom", kGlyphHeight, rotation, kGlyphPen);
    }

    file.out.line("M02*");
    file.out.commit();
}

const RegisterCommand fontSheetCommand("font-sheet", "every glyph of the stroke font",
                          [](CLI::App& app, std::function<int()>& run) {
                              auto out = std::make_shared<std::string>();
                              app.add_option("OUT", *out, "Gerber file to write")->required();
                              run = [out] {
                                  writeFontSheet(*out);
                                  return 0;
                              };
                          });

}  // namespace
}  // namespace padloom::cli
