#include "board/board_image.h"

#include <cstring>
#include <system_error>

namespace padloom::board {

bool BoardImage::matches(const std::string& path) const {
    if (path != m_path) {
        return false;
    }
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size != m_size) {
        return false;
    }
    const auto time = std::filesystem::last_write_time(path, ec);
    return !ec && time == m_time;
}

void ImageWriter::newBlock() {
    finish();
    m_image.m_blocks.push_back(BoardImage::Block{
        std::make_unique_for_overwrite<std::int32_t[]>(BoardImage::kBlockWords), 0});
    m_at = m_image.m_blocks.back().words.get();
    m_end = m_at + BoardImage::kBlockWords;
}

void ImageWriter::finish() {
    if (!m_image.m_blocks.empty()) {
        BoardImage::Block& last = m_image.m_blocks.back();
        last.used = static_cast<size_t>(m_at - last.words.get());
    }
}

void ImageWriter::putText(std::string_view text) {
    put(static_cast<std::int32_t>(text.size()));
    for (size_t i = 0; i < text.size(); i += sizeof(std::int32_t)) {
        std::int32_t word = 0;
        std::memcpy(&word, text.data() + i, std::min(sizeof word, text.size() - i));
        put(word);
    }
}

void ImageCursor::getText(std::string& text) {
    const auto size = static_cast<size_t>(get());
    text.resize(size);
    const size_t words = (size + sizeof(std::int32_t) - 1) / sizeof(std::int32_t);
    if (!atEnd() && m_next + words < m_image.m_blocks[m_block].used) {
        // the whole text in this block, and more after it: one copy
        std::memcpy(text.data(), &m_image.m_blocks[m_block].words[m_next], size);
        m_next += words;
        return;
    }
    for (size_t i = 0; i < size; i += sizeof(std::int32_t)) {
        const std::int32_t word = get();
        std::memcpy(text.data() + i, &word, std::min(sizeof word, size - i));
    }
}

}  // namespace padloom::board
