#include "view/render/png_picture.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <mutex>
#include <new>
#include <stdexcept>
#include <thread>

#include <zlib.h>

namespace padloom::view {

namespace {

// zlib's level: on a board's picture level 6 packs half as tight again as level 3 for a tenth
// more time, and level 9 gains a few per cent for half as much time again.
constexpr int kCompression = 6;
constexpr size_t kLargestChunk = size_t{1} << 20;

void put32(std::string& out, std::uint32_t v) {
    const char bytes[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 8), static_cast<char>(v)};
    out.append(bytes, 4);
}

void putChunk(std::string& out, const char* type, std::string_view data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    const size_t from = out.size();
    out.append(type, 4);
    out.append(data);
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(out.data() + from),
                           static_cast<uInt>(out.size() - from));
    put32(out, static_cast<std::uint32_t>(crc));
}

int paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

}  // namespace

struct PngWriter::Stream {
    z_stream z{};
};

PngWriter::PngWriter(int width, int height, Colour colour, int bitDepth)
    : m_width(width),
      m_height(height),
      m_colour(colour),
      m_bitDepth(colour == Colour::Indexed ? bitDepth : 8),
      m_pixelBytes(colour == Colour::Rgb    ? 3
                   : colour == Colour::Rgba ? 4
                                            : 1),
      m_stream(std::make_unique<Stream>()) {
    const size_t rowBytes = colour == Colour::Indexed
                                ? (static_cast<size_t>(width) * m_bitDepth + 7) / 8
                                : static_cast<size_t>(width) * m_pixelBytes;
    m_row.assign(rowBytes + 1, 0);
    m_previous.assign(rowBytes, 0);
    m_trial.assign(rowBytes, 0);
    if (deflateInit2(&m_stream->z, kCompression, Z_DEFLATED, 15, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::bad_alloc();
    }
}

PngWriter::~PngWriter() {
    deflateEnd(&m_stream->z);
}

void PngWriter::addRow(const std::uint8_t* pixels) {
    if (m_rows == m_height) {
        throw std::logic_error("PngWriter: more rows than the picture has");
    }
    std::uint8_t* out = m_row.data() + 1;
    const size_t n = m_row.size() - 1;
    if (m_colour == Colour::Indexed) {
        // a palette picture's rows go unfiltered: its bytes are indices, not intensities
        m_row[0] = 0;
        if (m_bitDepth == 8) {
            std::memcpy(out, pixels, n);
        } else {
            std::memset(out, 0, n);
            const int perByte = 8 / m_bitDepth;
            for (int x = 0; x < m_width; ++x) {
                const int shift = 8 - m_bitDepth * (x % perByte + 1);
                out[x / perByte] |= static_cast<std::uint8_t>(pixels[x] << shift);
            }
        }
    } else {
        // the filter that leaves the smallest differences, as most writers choose
        const size_t bpp = m_pixelBytes;
        const std::uint8_t* up = m_previous.data();
        auto score = [n](const std::uint8_t* bytes) {
            unsigned long sum = 0;
            for (size_t i = 0; i < n; ++i) {
                sum += bytes[i] < 128 ? bytes[i] : 256 - bytes[i];
            }
            return sum;
        };
        unsigned long best = score(pixels);
        m_row[0] = 0;
        std::memcpy(out, pixels, n);
        for (std::uint8_t filter = 1; filter <= 4; ++filter) {
            if (filter == 3) {
                continue;  // the average filter seldom wins on such pictures
            }
            for (size_t i = 0; i < n; ++i) {
                const int left = i >= bpp ? pixels[i - bpp] : 0;
                const int above = up[i];
                const int corner = i >= bpp ? up[i - bpp] : 0;
                const int predicted = filter == 1   ? left
                                      : filter == 2 ? above
                                                    : paeth(left, above, corner);
                m_trial[i] = static_cast<std::uint8_t>(pixels[i] - predicted);
            }
            const unsigned long s = score(m_trial.data());
            if (s < best) {
                best = s;
                m_row[0] = filter;
                std::memcpy(out, m_trial.data(), n);
            }
        }
        std::memcpy(m_previous.data(), pixels, n);
    }
    ++m_rows;
    deflateRow(m_rows == m_height ? Z_FINISH : Z_NO_FLUSH);
}

void PngWriter::deflateRow(int flush) {
    z_stream& z = m_stream->z;
    z.next_in = m_row.data();
    z.avail_in = static_cast<uInt>(m_row.size());
    constexpr size_t kRoom = 1 << 16;
    for (;;) {
        const size_t used = m_compressed.size();
        m_compressed.resize(used + kRoom);
        z.next_out = reinterpret_cast<Bytef*>(m_compressed.data() + used);
        z.avail_out = static_cast<uInt>(kRoom);
        const int result = deflate(&z, flush);
        m_compressed.resize(used + kRoom - z.avail_out);
        if (result == Z_STREAM_ERROR) {
            throw std::runtime_error("PNG compression failed");
        }
        if (z.avail_in == 0 && z.avail_out != 0 && (flush != Z_FINISH || result == Z_STREAM_END)) {
            return;
        }
    }
}

std::string PngWriter::finish(const std::vector<std::uint32_t>& palette) {
    if (m_rows != m_height) {
        throw std::logic_error("PngWriter: the picture is not complete");
    }
    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    put32(header, static_cast<std::uint32_t>(m_width));
    put32(header, static_cast<std::uint32_t>(m_height));
    const char colourType = m_colour == Colour::Indexed ? 3 : m_colour == Colour::Rgb ? 2 : 6;
    header += {static_cast<char>(m_bitDepth), colourType, 0, 0, 0};
    putChunk(png, "IHDR", header);
    if (m_colour == Colour::Indexed) {
        std::string colours;
        std::string alphas;
        for (std::uint32_t c : palette) {
            colours +=
                {static_cast<char>(c >> 16), static_cast<char>(c >> 8), static_cast<char>(c)};
            alphas += static_cast<char>(c >> 24);
        }
        putChunk(png, "PLTE", colours);
        // the alpha of each colour up to the last that is not opaque
        const size_t translucent = alphas.find_last_not_of('\xff');
        if (translucent != std::string::npos) {
            putChunk(png, "tRNS", std::string_view(alphas).substr(0, translucent + 1));
        }
    }
    png.reserve(png.size() + m_compressed.size() + 12 * (m_compressed.size() / kLargestChunk + 2));
    for (size_t at = 0; at < m_compressed.size(); at += kLargestChunk) {
        putChunk(png, "IDAT", std::string_view(m_compressed).substr(at, kLargestChunk));
    }
    putChunk(png, "IEND", {});
    std::string().swap(m_compressed);
    return png;
}

namespace {

// Hands out the bands of a picture, drawn on `threads` threads by `draw(band, worker, bytes)`,
// to `take(band, bytes)` on this thread in order, a few bands ahead at most. Stops when `take`
// returns false (and then returns false); an exception from either side stops both and is
// thrown again here.
bool inBandOrder(size_t bands, unsigned threads,
                 const std::function<void(size_t, unsigned, std::vector<std::uint8_t>&)>& draw,
                 const std::function<bool(size_t, const std::vector<std::uint8_t>&)>& take) {
    auto oneByOne = [&] {
        std::vector<std::uint8_t> bytes;
        for (size_t b = 0; b < bands; ++b) {
            draw(b, 0, bytes);
            if (!take(b, bytes)) {
                return false;
            }
        }
        return true;
    };
    const unsigned workers = static_cast<unsigned>(std::min<size_t>(threadsToUse(threads), bands));
    if (workers <= 1) {
        return oneByOne();
    }
    const size_t window = 2 * workers;
    std::vector<std::vector<std::uint8_t>> buffers(window);
    std::vector<char> ready(window, 0);
    std::mutex mutex;
    std::condition_variable changed;
    size_t next = 0;
    size_t taken = 0;
    bool stop = false;
    std::exception_ptr failure;
    auto fail = [&] {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!failure) {
            failure = std::current_exception();
        }
        stop = true;
    };
    auto work = [&](unsigned worker) {
        for (;;) {
            size_t b;
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [&] { return stop || next >= bands || next < taken + window; });
                if (stop || next >= bands) {
                    return;
                }
                b = next++;
            }
            try {
                draw(b, worker, buffers[b % window]);
            } catch (...) {
                fail();
                changed.notify_all();
                return;
            }
            {
                const std::lock_guard<std::mutex> lock(mutex);
                ready[b % window] = 1;
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> helpers = startThreads(workers, work);
    if (helpers.empty()) {
        return oneByOne();
    }
    bool complete = true;
    for (size_t b = 0; b < bands && complete; ++b) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return stop || ready[b % window]; });
            if (stop) {
                break;
            }
        }
        try {
            complete = take(b, buffers[b % window]);
        } catch (...) {
            fail();
        }
        {
            const std::lock_guard<std::mutex> lock(mutex);
            ready[b % window] = 0;
            taken = b + 1;
            stop = stop || !complete;
        }
        changed.notify_all();
    }
    for (std::thread& t : helpers) {
        t.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return complete;
}

// The colours of a picture as palette indices, while there are no more than 256 of them.
class PaletteIndex {
public:
    PaletteIndex() { std::fill(std::begin(m_index), std::end(m_index), short{-1}); }
    // The index of a colour, or -1 once the picture has more colours than a palette holds.
    int operator()(std::uint32_t colour) {
        if (colour == m_last && !colours.empty()) {
            return m_lastIndex;
        }
        size_t slot = (colour * 2654435761u) >> 22;
        while (m_index[slot] >= 0 && colours[m_index[slot]] != colour) {
            slot = (slot + 1) & 1023;
        }
        if (m_index[slot] < 0) {
            if (colours.size() == 256) {
                return -1;
            }
            m_index[slot] = static_cast<short>(colours.size());
            colours.push_back(colour);
        }
        m_last = colour;
        m_lastIndex = m_index[slot];
        return m_lastIndex;
    }
    std::vector<std::uint32_t> colours;

private:
    short m_index[1024] = {};
    std::uint32_t m_last = 0;
    int m_lastIndex = 0;
};

// The colours one layer makes over the background at each of its coverage levels.
std::vector<std::uint32_t> levelColours(const QColor& colour, const QColor& background) {
    QImage ramp(256, 1, QImage::Format_Alpha8);
    for (int i = 0; i < 256; ++i) {
        ramp.bits()[i] = static_cast<std::uint8_t>(i);
    }
    const QImage colours = LayerRenderer::composeMasks({{&ramp, colour}}, ramp.size(), background)
                               .convertToFormat(QImage::Format_ARGB32);
    const auto* line = reinterpret_cast<const QRgb*>(colours.constScanLine(0));
    return std::vector<std::uint32_t>(line, line + 256);
}

}  // namespace

std::string renderPng(LayerRenderer& renderer, const std::vector<StyledLayer>& layers,
                      const ViewWindow& view, const QColor& background) {
    std::vector<const StyledLayer*> shown;
    for (const StyledLayer& layer : layers) {
        if (layer.visible && layer.image) {
            shown.push_back(&layer);
        }
    }
    const int width = view.size.width();
    const int height = view.size.height();
    const int rows = bandRows(width);
    const size_t bands = static_cast<size_t>((height + rows - 1) / rows);
    std::vector<const LayerShapes*> shapes;
    std::vector<BandedObjects> banded;
    for (const StyledLayer* layer : shown) {
        shapes.push_back(&renderer.shapes(*layer->image));
        banded.emplace_back(*shapes.back(), view, 0, 0, width, height, rows);
    }

    // each thread's masks of a band of every layer shown
    struct Worker {
        CoverageRaster raster;
        std::vector<QImage> masks;
    };
    std::vector<Worker> workers(threadsToUse(renderer.threads()),
                                Worker{CoverageRaster(renderer.antialias()), {}});
    for (Worker& w : workers) {
        for (size_t i = 0; i < shown.size(); ++i) {
            w.masks.emplace_back(width, rows, QImage::Format_Alpha8);
        }
    }
    auto bandHeight = [&](size_t b) { return std::min(rows, height - static_cast<int>(b) * rows); };
    auto drawMasks = [&](size_t b, Worker& w) {
        const int top = static_cast<int>(b) * rows;
        for (size_t i = 0; i < shown.size(); ++i) {
            QImage& mask = w.masks[i];
            mask.fill(0);
            const CoverageTarget target{mask.bits(), mask.bytesPerLine(), 0, top,
                                        width,       bandHeight(b)};
            shapes[i]->draw(view, banded[i].band(b), banded[i].bandSize(b), target, w.raster);
        }
    };
    const size_t rowBytes = static_cast<size_t>(width);

    if (shown.size() <= 1) {
        // one layer: its coverage is the palette index
        std::vector<std::uint32_t> palette{background.rgba()};
        int depth = 1;
        if (!shown.empty()) {
            palette = levelColours(shown[0]->colour, background);
            if (renderer.antialias()) {
                depth = 8;
            } else {
                palette = {palette.front(), palette.back()};
            }
        }
        PngWriter png(width, height, PngWriter::Colour::Indexed, depth);
        inBandOrder(
            bands, renderer.threads(),
            [&](size_t b, unsigned worker, std::vector<std::uint8_t>& bytes) {
                bytes.resize(rowBytes * rows);
                if (shown.empty()) {
                    std::fill(bytes.begin(), bytes.end(), 0);
                    return;
                }
                drawMasks(b, workers[worker]);
                const QImage& mask = workers[worker].masks[0];
                for (int y = 0; y < bandHeight(b); ++y) {
                    std::uint8_t* to = bytes.data() + y * rowBytes;
                    std::memcpy(to, mask.constScanLine(y), rowBytes);
                    if (depth == 1) {
                        for (size_t x = 0; x < rowBytes; ++x) {
                            to[x] = to[x] != 0;
                        }
                    }
                }
            },
            [&](size_t b, const std::vector<std::uint8_t>& bytes) {
                for (int y = 0; y < bandHeight(b); ++y) {
                    png.addRow(bytes.data() + y * rowBytes);
                }
                return true;
            });
        return png.finish(palette);
    }

    // several layers, laid over each other a band at a time as compose() does
    auto compose = [&](size_t b, unsigned worker, std::vector<std::uint8_t>& bytes) {
        Worker& w = workers[worker];
        drawMasks(b, w);
        std::vector<std::pair<const QImage*, QColor>> masks;
        for (size_t i = 0; i < shown.size(); ++i) {
            masks.emplace_back(&w.masks[i], shown[i]->colour);
        }
        const QImage band =
            LayerRenderer::composeMasks(masks, QSize(width, bandHeight(b)), background)
                .convertToFormat(QImage::Format_ARGB32);
        bytes.resize(rowBytes * 4 * bandHeight(b));
        for (int y = 0; y < bandHeight(b); ++y) {
            std::memcpy(bytes.data() + y * rowBytes * 4, band.constScanLine(y), rowBytes * 4);
        }
    };
    {
        // with a palette while the picture has no more than 256 colours
        PngWriter png(width, height, PngWriter::Colour::Indexed);
        PaletteIndex index;
        std::vector<std::uint8_t> row(rowBytes);
        const bool fits = inBandOrder(bands, renderer.threads(), compose,
                                      [&](size_t b, const std::vector<std::uint8_t>& bytes) {
                                          const auto* colours =
                                              reinterpret_cast<const std::uint32_t*>(bytes.data());
                                          for (int y = 0; y < bandHeight(b); ++y) {
                                              for (size_t x = 0; x < rowBytes; ++x) {
                                                  const int i = index(colours[y * rowBytes + x]);
                                                  if (i < 0) {
                                                      return false;
                                                  }
                                                  row[x] = static_cast<std::uint8_t>(i);
                                              }
                                              png.addRow(row.data());
                                          }
                                          return true;
                                      });
        if (fits) {
            return png.finish(index.colours);
        }
    }
    // in RGB, with alpha only when the background lets something through
    const bool alpha = background.alpha() != 255;
    const size_t channels = alpha ? 4 : 3;
    PngWriter png(width, height, alpha ? PngWriter::Colour::Rgba : PngWriter::Colour::Rgb);
    std::vector<std::uint8_t> row(rowBytes * channels);
    inBandOrder(bands, renderer.threads(), compose,
                [&](size_t b, const std::vector<std::uint8_t>& bytes) {
                    const auto* colours = reinterpret_cast<const std::uint32_t*>(bytes.data());
                    for (int y = 0; y < bandHeight(b); ++y) {
                        std::uint8_t* to = row.data();
                        for (size_t x = 0; x < rowBytes; ++x) {
                            const std::uint32_t c = colours[y * rowBytes + x];
                            *to++ = static_cast<std::uint8_t>(c >> 16);
                            *to++ = static_cast<std::uint8_t>(c >> 8);
                            *to++ = static_cast<std::uint8_t>(c);
                            if (alpha) {
                                *to++ = static_cast<std::uint8_t>(c >> 24);
                            }
                        }
                        png.addRow(row.data());
                    }
                    return true;
                });
    return png.finish();
}

}  // namespace padloom::view
