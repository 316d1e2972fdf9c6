#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QColor>

#include "view/render/layer_renderer.h"

namespace padloom::view {

/// Draws the visible layers over the background, as LayerRenderer::compose does, into the
/// bytes of a PNG file, a band of rows at a time (the picture is never whole in memory). The
/// file is as small as the picture allows: one layer is written with a palette of its
/// coverage levels (two colours without antialiasing), several with a palette of the colours
/// they make when there are no more than 256, else in RGB; with alpha only when the background
/// is not opaque. Bands are drawn on the renderer's threads while this one compresses them.
std::string renderPng(LayerRenderer& renderer, const std::vector<StyledLayer>& layers,
                      const ViewWindow& view, const QColor& background);

/// Writes a PNG file's bytes row after row, compressing as it goes.
class PngWriter {
public:
    enum class Colour { Indexed, Rgb, Rgba };
    /// `bitDepth` 1, 2, 4 or 8 for an indexed picture, 8 otherwise.
    PngWriter(int width, int height, Colour colour, int bitDepth = 8);
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    /// The next row: one byte per pixel (a palette index), or RGB or RGBA bytes; an indexed
    /// row of fewer bits per pixel is packed here.
    void addRow(const std::uint8_t* pixels);
    /// The whole file, with the palette of an indexed picture (colours as 0xAARRGGBB).
    std::string finish(const std::vector<std::uint32_t>& palette = {});

private:
    void deflateRow(int flush);

    int m_width;
    int m_height;
    Colour m_colour;
    int m_bitDepth;
    size_t m_pixelBytes;
    std::vector<std::uint8_t> m_row;       // the filter byte and the row as written
    std::vector<std::uint8_t> m_previous;  // the row before, unfiltered
    std::vector<std::uint8_t> m_trial;
    std::string m_compressed;
    struct Stream;
    std::unique_ptr<Stream> m_stream;
    int m_rows = 0;
};

}  // namespace padloom::view
