#pragma once

#include <memory>

#include "board/board_reader.h"
#include "board/run_values.h"

namespace padloom::plot {

/// An output made from the board's records in file order (the NC drill file, the drill
/// drawing, the BOM), so that it can share a pass over the board with the layer files: told of
/// every record of the kinds it asks for, then finished.
class PassOutput {
public:
    virtual ~PassOutput() = default;
    /// The kinds of record it is told of: bit 1 << RecordKind for each.
    virtual unsigned kinds() const = 0;
    virtual void record(board::RecordKind kind, const board::BoardReader& reader) = 0;
    /// Writes what remains and commits the output's file.
    virtual void finish() = 0;
};

/// The bit of a record kind among PassOutput::kinds().
constexpr unsigned kindBit(board::RecordKind kind) {
    return 1u << static_cast<unsigned>(kind);
}

/// Makes `output` in a pass of its own over the board, and finishes it.
void runPass(const board::RunValues& runValues, PassOutput& output);

}  // namespace padloom::plot
