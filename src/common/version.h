#pragma once

namespace padloom::common {

/// The version this build reports in `padloom-cli --version` and the About box: the release
/// number and, for a build from a git checkout, the commit ("4.6 (commit 1a2b3c4d)").
const char* programVersion();

}  // namespace padloom::common
