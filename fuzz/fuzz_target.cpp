// One libFuzzer target: the driver named by PADLOOM_FUZZ_TARGET, run in a scratch folder of
// its own that is emptied after every input.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "fuzz/drivers.h"
#include <unistd.h>

namespace {

std::filesystem::path& scratch() {
    static std::filesystem::path dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "padloom-fuzz-XXXXXX");
        if (!mkdtemp(pattern.data())) {
            std::abort();
        }
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(scratch(), ec);
        });
        return std::filesystem::path(pattern);
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const padloom::fuzz::Driver driver = padloom::fuzz::driverOf(PADLOOM_FUZZ_TARGET);
    if (!driver) {
        std::abort();
    }
    const std::filesystem::path& dir = scratch();
    driver(std::string_view(reinterpret_cast<const char*>(data), size), dir);
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::filesystem::remove_all(entry.path());
    }
    return 0;
}
