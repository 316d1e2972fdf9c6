#include <algorithm>
#include <filesystem>

#include "fuzz/drivers.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom {
namespace {

namespace fs = std::filesystem;

// Every input fuzzing once found a fault with is kept under tests/data/fuzz/<target>/ and run
// again through its target's tool path; under the sanitizer build this replays each finding.
TEST(FuzzFindings, EveryKeptFindingRunsClean) {
    const fs::path root = fs::path(testing::sourceDir()) / "tests" / "data" / "fuzz";
    ASSERT_TRUE(fs::is_directory(root)) << root;
    int replayed = 0;
    for (const auto& folder : fs::directory_iterator(root)) {
        const std::string name = folder.path().filename().string();
        auto driver = fuzz::driverOf(name);
        ASSERT_NE(driver, nullptr) << "no fuzz target named " << name;
        std::vector<fs::path> inputs;
        for (const auto& file : fs::directory_iterator(folder.path())) {
            inputs.push_back(file.path());
        }
        std::sort(inputs.begin(), inputs.end());
        for (const auto& input : inputs) {
            SCOPED_TRACE(input.string());
            testing::TempDir scratch;
            const std::string bytes = testing::readFile(input.string());
            EXPECT_NO_THROW(driver(bytes, scratch.path()));
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}

TEST(FuzzFindings, InputsSplitIntoTheirFiles) {
    using fuzz::splitFiles;
    const std::string two = "report" + std::string(fuzz::kNextFile) + "board";
    EXPECT_EQ(splitFiles(two, 2), (std::vector<std::string_view>{"report", "board"}));
    EXPECT_EQ(splitFiles("report", 2), (std::vector<std::string_view>{"report"}));
    const std::string three = two + std::string(fuzz::kNextFile) + "more";
    EXPECT_EQ(splitFiles(three, 2).back(), "board" + std::string(fuzz::kNextFile) + "more");
}

}  // namespace
}  // namespace padloom
