// The display platform chosen at start-up: X11 whenever the user chose no
// platform and an X display is there, the user's choice otherwise, Qt's own
// choice with only a Wayland display, and no start at all without a display.
#include "app/start_environment.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace ravo {
namespace {

TEST(ChosenDisplay, X11OnlyWhenTheUserChoseNoneAndAnXDisplayIsThere)
{
    struct Case {
        const char* name;
        const char* userPlatform;
        const char* display;
        const char* waylandDisplay;
        bool available;
        const char* chosen; // null: the environment is left as it is
    };
    const Case cases[] = {
        {"X display, no choice: X11, also under Wayland through XWayland", nullptr, ":0", "wayland-0", true, "xcb"},
        {"remote X display", nullptr, "host:10.0", nullptr, true, "xcb"},
        {"an empty choice counts as none", "", ":1", nullptr, true, "xcb"},
        {"the user's Wayland choice is kept", "wayland", ":0", nullptr, true, nullptr},
        {"the user's X11 choice is kept", "xcb", ":0", nullptr, true, nullptr},
        {"the user's offscreen choice is kept", "offscreen", ":0", nullptr, true, nullptr},
        {"no X display: Qt chooses", nullptr, nullptr, "wayland-0", true, nullptr},
        {"an empty DISPLAY is no X display", nullptr, "", "wayland-0", true, nullptr},
        {"a choice and no X display: kept", "wayland", nullptr, nullptr, true, nullptr},
        {"offscreen needs no display at all", "offscreen", nullptr, nullptr, true, nullptr},
        {"no choice and no display: nothing to start on", nullptr, nullptr, nullptr, false, nullptr},
        {"empty DISPLAY and WAYLAND_DISPLAY are no display", nullptr, "", "", false, nullptr},
    };
    for (const Case& c : cases) {
        const DisplayChoice choice = ChosenDisplay(c.userPlatform, c.display, c.waylandDisplay);
        EXPECT_EQ(choice.available, c.available) << c.name;
        if (c.chosen == nullptr)
            EXPECT_EQ(choice.platform, nullptr) << c.name;
        else
            EXPECT_EQ(std::string(choice.platform ? choice.platform : "(none)"), c.chosen) << c.name;
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

// A stand-in for the X server: answers as told and notes the display asked.
bool xAnswers = true;
std::string xAsked;
bool FakeXServerAnswers(const char* display)
{
    xAsked = display;
    return xAnswers;
}

TEST(ChooseDisplayPlatform, SetsTheProcesssPlatformOnlyWhenChosenAndRefusesToStartWithoutADisplay)
{
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::optional<std::string> userPlatform;
        std::optional<std::string> display;
        std::optional<std::string> waylandDisplay;
        bool xServerAnswers;
        bool started;
        std::optional<std::string> after;
        const char* xAsked; // the display the X server was asked at, "" for none
    };
    const std::optional<std::string> unset;
    const Case cases[] = {
        {"both unset but DISPLAY: xcb", {}, unset, ":0", unset, true, true, "xcb", ":0"},
        {"the user's choice stays", {}, "wayland", ":0", unset, true, true, "wayland", ""},
        {"no DISPLAY, a Wayland display: still unset", {}, unset, unset, "wayland-0", true, true, unset, ""},
        {"no display at all: not started", {}, unset, unset, unset, true, false, unset, ""},
        {"an X display that does not answer counts as none", {}, unset, ":0", unset, false, false, unset, ":0"},
        {"... and Qt chooses when a Wayland display is there", {}, unset, ":0", "wayland-0", false, true, unset, ":0"},
        {"-platform on the command line is the user's choice", {"-platform", "offscreen"}, unset, unset, unset, true,
         true, unset, ""},
        {"--display on the command line names the X display", {"--display", ":5"}, unset, unset, unset, true, true,
         "xcb", ":5"},
    };
    for (const Case& c : cases) {
        const ScopedVariable platform("QT_QPA_PLATFORM", c.userPlatform);
        const ScopedVariable display("DISPLAY", c.display);
        const ScopedVariable wayland("WAYLAND_DISPLAY", c.waylandDisplay);
        std::vector<char*> argv{const_cast<char*>("ravo")};
        for (const std::string& argument : c.arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        xAnswers = c.xServerAnswers;
        xAsked.clear();
        EXPECT_EQ(ChooseDisplayPlatform(static_cast<int>(argv.size() - 1), argv.data(), FakeXServerAnswers), c.started)
            << c.name;
        const char* after = std::getenv("QT_QPA_PLATFORM");
        EXPECT_EQ(after ? std::optional<std::string>(after) : std::nullopt, c.after) << c.name;
        EXPECT_EQ(xAsked, c.xAsked) << c.name;
    }
}

} // namespace
} // namespace ravo
