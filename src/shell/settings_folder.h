#pragma once

#include <string>

namespace padloom::shell {

/// The folder of the user's settings files, as the desktop program keeps its INI files there:
/// $PADLOOM_SETTINGS_DIR when set; on Windows "Castorvane" in the roaming application data
/// folder; on macOS ~/Library/Preferences/Castorvane; elsewhere $XDG_CONFIG_HOME/Castorvane or
/// ~/.config/Castorvane. Empty when none of them can be told (no home folder).
std::string settingsFolder();

/// The full path of the running program, or "" when the system does not tell it.
std::string runningProgramPath();

}  // namespace padloom::shell
