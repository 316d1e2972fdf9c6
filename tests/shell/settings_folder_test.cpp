#include "shell/settings_folder.h"

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace padloom::shell {
namespace {

// Sets (or with nullopt unsets) an environment variable for the rest of a scope.
class EnvironmentValue {
public:
    EnvironmentValue(const char* name, std::optional<std::string> value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        set(value);
    }
    ~EnvironmentValue() { set(m_old); }

private:
    void set(const std::optional<std::string>& value) {
        if (value) {
            setenv(m_name, value->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    const char* m_name;
    std::optional<std::string> m_old;
};

#if !defined(_WIN32) && !defined(__APPLE__)
TEST(SettingsFolder, WhereTheDesktopProgramKeepsItsSettings) {
    EnvironmentValue own("PADLOOM_SETTINGS_DIR", std::nullopt);
    EnvironmentValue config("XDG_CONFIG_HOME", std::nullopt);
    EnvironmentValue home("HOME", "/home/ada");
    EXPECT_EQ(settingsFolder(), "/home/ada/.config/Castorvane");
    {
        EnvironmentValue xdg("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(settingsFolder(), "/cfg/Castorvane");
    }
    {
        // a relative base folder is no base folder
        EnvironmentValue xdg("XDG_CONFIG_HOME", "cfg");
        EXPECT_EQ(settingsFolder(), "/home/ada/.config/Castorvane");
    }
    {
        EnvironmentValue test("PADLOOM_SETTINGS_DIR", "/tmp/run");
        EXPECT_EQ(settingsFolder(), "/tmp/run");
    }
    EnvironmentValue noHome("HOME", std::nullopt);
    EXPECT_EQ(settingsFolder(), "");
    EXPECT_FALSE(runningProgramPath().empty());
}
#endif

}  // namespace
}  // namespace padloom::shell
