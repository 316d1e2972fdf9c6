#include "tools/component_library.h"

#include <cassert>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "common/base_name.h"
#include "common/errors.h"
#include "common/number_format.h"
#include "common/text_io.h"

namespace padloom::tools {

namespace {

// No directory offset reaches beyond this, so nothing past it is ever read.
constexpr size_t kMaxLibraryBytes =
    static_cast<size_t>(kLastDataOffset) * kLibraryBlockBytes + kMaxComponentBytes;

// Reads at most `limit` bytes from the start of a file.
std::string readBytes(const std::string& path, size_t limit) {
    common::checkInputFile(path);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        throw common::IoError(path, std::generic_category().message(errno));
    }
    std::string bytes;
    char buffer[1 << 16];
    while (bytes.size() < limit) {
        size_t want = std::min(sizeof buffer, limit - bytes.size());
        size_t got = std::fread(buffer, 1, want, file);
        bytes.append(buffer, got);
        if (got < want) {
            break;
        }
    }
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        throw common::IoError(path, "read error");
    }
    return bytes;
}

unsigned word(const std::string& bytes, size_t at) {
    return static_cast<unsigned char>(bytes[at]) |
           (static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8);
}

void putWord(std::string& bytes, size_t at, unsigned value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

bool isBlockEnd(const std::string& bytes, size_t blockStart) {
    for (size_t i = 11; i < kLibraryBlockBytes; ++i) {
        if (bytes[blockStart + i] != 0) {
            return false;
        }
    }
    return true;
}

std::string entryLabel(const std::string& path, size_t entry) {
    return common::fileNameOf(path) + ": directory entry " + common::decimal(entry + 1);
}

}  // namespace

size_t componentDataLength(const std::string& bytes, size_t offset, unsigned blockEnds,
                           size_t limit) {
    unsigned seen = 0;
    size_t at = offset;
    while (seen < blockEnds) {
        if (at + kLibraryBlockBytes > bytes.size() || at + kLibraryBlockBytes - offset > limit) {
            return 0;
        }
        if (isBlockEnd(bytes, at)) {
            ++seen;
        }
        at += kLibraryBlockBytes;
    }
    return at - offset;
}

LibraryDirectory readLibraryDirectory(const std::string& path) {
    std::string bytes = readBytes(path, kMaxLibraryBytes);
    if (bytes.size() < kLibraryDataStart) {
        throw common::FormatError(path,
                                  "not a component library: " + common::decimal(bytes.size()) +
                                      " bytes, shorter than the 6416 bytes of its header "
                                      "and directory");
    }
    if (bytes.find('\0') >= kLibraryDataStart) {
        // every directory holds zero bytes (in its counts and free entries); text holds none
        throw common::FormatError(path,
                                  "not a component library: its header and directory are text");
    }
    LibraryDirectory dir;
    for (size_t k = 0; k < kLibraryEntries; ++k) {
        const size_t entry = kLibraryHeaderBytes + k * kDirectoryEntryBytes;
        const unsigned offset = word(bytes, entry + 20);
        if (offset == kFreeEntryOffset) {
            continue;
        }
        const size_t nameLength = static_cast<unsigned char>(bytes[entry + 2]);
        LibraryComponent c;
        // a zero byte inside a name reads as a blank
        for (size_t i = 0; i < std::min(nameLength, kMaxComponentNameLength); ++i) {
            char ch = bytes[entry + 3 + i];
            c.name += ch == 0 ? ' ' : ch;
        }
        c.libraryPath = path;
        c.dataOffset = static_cast<std::uint32_t>(offset) * kLibraryBlockBytes;
        c.blockEnds = static_cast<std::uint16_t>(word(bytes, entry + 18));

        std::string label = entryLabel(path, k);
        if (nameLength == 0 || nameLength > kMaxComponentNameLength) {
            dir.problems.push_back(label + ": a name of " + common::decimal(nameLength) +
                                   " characters (an entry holds 1 to 15); entry left out");
            continue;
        }
        label += " (" + c.name + ")";
        if (c.dataOffset < kLibraryDataStart) {
            dir.problems.push_back(label +
                                   ": its data would start inside the directory; "
                                   "entry left out");
            continue;
        }
        if (c.blockEnds == 0) {
            dir.problems.push_back(label + ": a block-end count of 0; entry left out");
            continue;
        }
        size_t length = componentDataLength(bytes, c.dataOffset, c.blockEnds);
        if (length == 0) {
            const bool pastEnd =
                componentDataLength(bytes, c.dataOffset, c.blockEnds, bytes.size()) == 0;
            dir.problems.push_back(label +
                                   (pastEnd ? ": its data runs past the end of the file"
                                            : ": its data runs over 100001 bytes, more "
                                              "than a component may hold") +
                                   "; the library is damaged; entry left out");
            continue;
        }
        c.dataLength = static_cast<std::uint32_t>(length);
        dir.components.push_back(std::move(c));
    }
    if (dir.components.empty() && !dir.problems.empty()) {
        throw common::FormatError(
            path, "not a component library: none of its " + common::decimal(dir.problems.size()) +
                      " directory entries reads as a component (" + dir.problems.front() + ")");
    }
    return dir;
}

std::string readComponentData(const LibraryComponent& c) {
    std::string bytes =
        readBytes(c.libraryPath, static_cast<size_t>(c.dataOffset) + kMaxComponentBytes);
    size_t length = componentDataLength(bytes, c.dataOffset, c.blockEnds);
    if (length == 0 || length != c.dataLength) {
        throw common::IoError(c.libraryPath, "component " + c.name +
                                                 " no longer ends where it did when the library "
                                                 "was read; read the library again");
    }
    return bytes.substr(c.dataOffset, length);
}

bool fitsOneLibrary(const std::vector<LibraryEntry>& entries) {
    if (entries.size() > kLibraryEntries) {
        return false;
    }
    size_t position = kLibraryDataStart;
    for (const auto& e : entries) {
        if (e.name.empty() || e.name.size() > kMaxComponentNameLength ||
            e.data.size() % kLibraryBlockBytes != 0 ||
            position / kLibraryBlockBytes > kLastDataOffset) {
            return false;
        }
        position += e.data.size();
    }
    return true;
}

std::string libraryBytes(const std::vector<LibraryEntry>& entries) {
    assert(fitsOneLibrary(entries));
    std::string bytes(kLibraryDataStart, '\0');
    bytes[2] = 13;
    bytes.replace(3, 13, "PCB 4 LIBRARY");
    size_t position = kLibraryDataStart;
    for (size_t k = 0; k < kLibraryEntries; ++k) {
        const size_t entry = kLibraryHeaderBytes + k * kDirectoryEntryBytes;
        if (k >= entries.size()) {  // free: 0xFF in bytes 18 to 21, zero elsewhere
            putWord(bytes, entry + 18, 0xFFFF);
            putWord(bytes, entry + 20, kFreeEntryOffset);
            continue;
        }
        const LibraryEntry& e = entries[k];
        bytes[entry + 2] = static_cast<char>(e.name.size());
        bytes.replace(entry + 3, e.name.size(), e.name);
        putWord(bytes, entry + 18, e.blockEnds);
        putWord(bytes, entry + 20, static_cast<unsigned>(position / kLibraryBlockBytes));
        position += e.data.size();
    }
    for (const auto& e : entries) {
        bytes += e.data;
    }
    return bytes;
}

}  // namespace padloom::tools
