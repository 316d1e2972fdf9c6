#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace padloom::tools {

// An Autotrax component library is a file of byte records: a 16-byte header, a directory of
// 200 entries of 32 bytes, then the component data in 16-byte blocks, each component starting
// on a block boundary. Numbers are 16-bit little-endian.
constexpr size_t kLibraryHeaderBytes = 16;
constexpr size_t kLibraryEntries = 200;
constexpr size_t kDirectoryEntryBytes = 32;
constexpr size_t kLibraryDataStart = kLibraryHeaderBytes + kLibraryEntries * kDirectoryEntryBytes;
constexpr size_t kLibraryBlockBytes = 16;
/// A component name fits in 15 characters before the block-end count of its entry.
constexpr size_t kMaxComponentNameLength = 15;
/// The data offset word 0xFFFF marks a free entry, so 0xFFFE blocks is the farthest offset.
constexpr std::uint16_t kFreeEntryOffset = 0xFFFF;
constexpr std::uint16_t kLastDataOffset = 0xFFFE;
/// The largest component the library tools copy, in bytes.
constexpr size_t kMaxComponentBytes = 100001;

/// A used directory entry of a loaded library, with the length of its data found by the
/// block-end walk.
struct LibraryComponent {
    std::string name;
    std::string libraryPath;
    std::uint32_t dataOffset = 0;  // in bytes from the start of the file
    std::uint16_t blockEnds = 0;   // blocks of its data whose bytes 11 to 15 are all zero
    std::uint32_t dataLength = 0;  // bytes, a whole number of blocks
};

/// A loaded library's components in directory order, and what was wrong with the entries left
/// out (each message names the library and the entry).
struct LibraryDirectory {
    std::vector<LibraryComponent> components;
    std::vector<std::string> problems;
};

/// Reads a library's directory and measures each component's data. A file that is no library
/// throws FormatError: shorter than its header and directory, text, or with used entries of
/// which none reads; a damaged entry (a name of no or more than 15
/// characters, data that starts inside the directory, runs past the end of the file or over
/// the largest component) is left out and described in `problems`. Throws IoError when the
/// file cannot be read.
LibraryDirectory readLibraryDirectory(const std::string& path);

/// Length in bytes of the component data starting at `offset` in `bytes`: blocks are read
/// until `blockEnds` of them have had bytes 11 to 15 all zero. 0 when the walk reaches the end
/// of the bytes or passes `limit` bytes first.
size_t componentDataLength(const std::string& bytes, size_t offset, unsigned blockEnds,
                           size_t limit = kMaxComponentBytes);

/// Reads a component's data from its library; throws IoError (naming the library and the
/// component) when the file has changed so that the data no longer ends where it did.
std::string readComponentData(const LibraryComponent& component);

/// A component as it goes into a new library.
struct LibraryEntry {
    std::string name;  // at most 15 characters
    std::uint16_t blockEnds = 0;
    std::string data;  // a whole number of blocks
};

/// Whether `entries` fit one library: at most 200, names of 1 to 15 characters, whole blocks,
/// and every data offset at most 0xFFFE blocks.
bool fitsOneLibrary(const std::vector<LibraryEntry>& entries);

/// The bytes of a library holding `entries` in order: header "PCB 4 LIBRARY", the directory
/// (free entries after the used ones), then the data of each entry. The entries must fit one
/// library.
std::string libraryBytes(const std::vector<LibraryEntry>& entries);

}  // namespace padloom::tools
