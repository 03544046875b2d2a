// The display platform chosen at start-up: X11 whenever the user chose no
// platform and an X display is there, the user's choice otherwise, and
// Qt's own choice without an X display.
#include "app/start_environment.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace ravo {
namespace {

TEST(ChosenDisplayPlatform, X11OnlyWhenTheUserChoseNoneAndAnXDisplayIsThere)
{
    struct Case {
        const char* name;
        const char* userPlatform;
        const char* display;
        const char* chosen; // null: the environment is left as it is
    };
    const Case cases[] = {
        {"X display, no choice: X11, also under Wayland through XWayland", nullptr, ":0", "xcb"},
        {"remote X display", nullptr, "host:10.0", "xcb"},
        {"an empty choice counts as none", "", ":1", "xcb"},
        {"the user's Wayland choice is kept", "wayland", ":0", nullptr},
        {"the user's X11 choice is kept", "xcb", ":0", nullptr},
        {"the user's offscreen choice is kept", "offscreen", ":0", nullptr},
        {"no X display: Qt chooses", nullptr, nullptr, nullptr},
        {"an empty DISPLAY is no X display", nullptr, "", nullptr},
        {"a choice and no X display: kept", "wayland", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const char* chosen = ChosenDisplayPlatform(c.userPlatform, c.display);
        if (c.chosen == nullptr)
            EXPECT_EQ(chosen, nullptr) << c.name;
        else
            EXPECT_EQ(std::string(chosen ? chosen : "(none)"), c.chosen) << c.name;
    }
}

// Sets or (nullopt) unsets an environment variable, and puts it back after.
class ScopedVariable {
public:
    ScopedVariable(const char* name, std::optional<std::string> value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            saved_ = old;
        Set(value);
    }
    ~ScopedVariable() { Set(saved_); }

private:
    void Set(const std::optional<std::string>& value)
    {
        if (value)
            setenv(name_, value->c_str(), 1);
        else
            unsetenv(name_);
    }
    const char* name_;
    std::optional<std::string> saved_;
};

TEST(ChooseDisplayPlatform, SetsTheProcesssPlatformOnlyWhenChosen)
{
    struct Case {
        const char* name;
        std::optional<std::string> userPlatform;
        std::optional<std::string> display;
        std::optional<std::string> after;
    };
    const Case cases[] = {
        {"both unset but DISPLAY: xcb", std::nullopt, ":0", "xcb"},
        {"the user's choice stays", "wayland", ":0", "wayland"},
        {"no DISPLAY: still unset", std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const ScopedVariable platform("QT_QPA_PLATFORM", c.userPlatform);
        const ScopedVariable display("DISPLAY", c.display);
        ChooseDisplayPlatform();
        const char* after = std::getenv("QT_QPA_PLATFORM");
        EXPECT_EQ(after ? std::optional<std::string>(after) : std::nullopt, c.after) << c.name;
    }
}

} // namespace
} // namespace ravo
