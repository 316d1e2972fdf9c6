#include "plot/pass_output.h"

namespace padloom::plot {

void runPass(const board::RunValues& runValues, PassOutput& output) {
    board::BoardReader reader(runValues.boardFile, runValues.boardImage);
    reader.onlyKindBits(output.kinds());
    while (auto kind = reader.next()) {
        output.record(*kind, reader);
    }
    output.finish();
}

}  // namespace padloom::plot
