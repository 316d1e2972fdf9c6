#include "shell/settings_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#elif defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

namespace padloom::shell {

namespace {

constexpr const char* kFolderName = "Castorvane";

// An environment variable's value when it is set to an absolute path.
std::string absoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value || !std::filesystem::path(value).is_absolute()) {
        return "";
    }
    return value;
}

}  // namespace

std::string settingsFolder() {
    if (const char* own = std::getenv("PADLOOM_SETTINGS_DIR"); own && *own) {
        return own;
    }
    namespace fs = std::filesystem;
#if defined(_WIN32)
    const std::string appData = absoluteFromEnvironment("APPDATA");
    return appData.empty() ? "" : (fs::path(appData) / kFolderName).string();
#else
    const std::string home = absoluteFromEnvironment("HOME");
#if defined(__APPLE__)
    return home.empty() ? "" : (fs::path(home) / "Library" / "Preferences" / kFolderName).string();
#else
    // the XDG base folder, as the desktop program's settings store finds it
    const std::string config = absoluteFromEnvironment("XDG_CONFIG_HOME");
    if (!config.empty()) {
        return (fs::path(config) / kFolderName).string();
    }
    return home.empty() ? "" : (fs::path(home) / ".config" / kFolderName).string();
#endif
#endif
}

std::string runningProgramPath() {
#if defined(_WIN32)
    wchar_t buffer[32768];
    const DWORD size = GetModuleFileNameW(nullptr, buffer, sizeof buffer / sizeof buffer[0]);
    if (size == 0 || size >= sizeof buffer / sizeof buffer[0]) {
        return "";
    }
    return std::filesystem::path(std::wstring(buffer, size)).string();
#elif defined(__APPLE__)
    char buffer[4096];
    uint32_t size = sizeof buffer;
    if (_NSGetExecutablePath(buffer, &size) != 0) {
        return "";
    }
    std::error_code error;
    const auto path = std::filesystem::canonical(buffer, error);
    return error ? std::string(buffer) : path.string();
#else
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? "" : path.string();
#endif
}

}  // namespace padloom::shell
