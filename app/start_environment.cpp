// The display platform and locale chosen at start-up.
#include "app/start_environment.h"

#include <QLocale>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace ravo {

namespace {
bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

// The value of Qt's command-line option NAME ("-platform" or "--platform"
// followed by its value), or null; Qt takes it over the environment.
const char* QtArgument(int argc, char** argv, const char* name)
{
    for (int i = 1; i + 1 < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] != '-')
            continue;
        if (arg[1] == '-')
            ++arg;
        if (std::strcmp(arg + 1, name) == 0)
            return argv[i + 1];
    }
    return nullptr;
}
} // namespace

DisplayChoice ChosenDisplay(const char* userPlatform, const char* display, const char* waylandDisplay)
{
    // Qt takes an empty variable as unset, and so does this choice.
    if (IsSet(userPlatform))
        return {true, nullptr};
    if (IsSet(display))
        return {true, "xcb"};
    return {IsSet(waylandDisplay), nullptr};
}

bool XServerAnswers(const char* display)
{
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

bool ChooseDisplayPlatform(int argc, char** argv, bool (*xServerAnswers)(const char* display))
{
    const char* platform = QtArgument(argc, argv, "platform");
    if (platform == nullptr)
        platform = std::getenv("QT_QPA_PLATFORM");
    const char* display = QtArgument(argc, argv, "display");
    if (display == nullptr)
        display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");

    DisplayChoice choice = ChosenDisplay(platform, display, wayland);
    const bool xSilent = choice.platform != nullptr && !xServerAnswers(display);
    if (xSilent)
        choice = ChosenDisplay(platform, nullptr, wayland);
    if (!choice.available) {
        if (xSilent)
            std::fprintf(stderr, "ravo: cannot open a window: no X server answers at display %s,"
                                 " and WAYLAND_DISPLAY is unset\n", display);
        else
            std::fputs("ravo: cannot open a window: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)\n", stderr);
        return false;
    }
    if (choice.platform != nullptr)
        qputenv("QT_QPA_PLATFORM", choice.platform);
    return true;
}

void UseCzechLocale() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic)); }

} // namespace ravo
