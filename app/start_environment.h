// Choices made before the application object exists: the display platform
// and the program's locale.
#pragma once

namespace ravo {

// What start-up makes of the display, given the environment's
// QT_QPA_PLATFORM, DISPLAY and WAYLAND_DISPLAY (each null when unset).
struct DisplayChoice {
    // False when the user chose no platform and there is neither an X nor a
    // Wayland display: Qt would abort the program with a core dump.
    bool available;
    // "xcb" when the user chose no platform and an X display is there, so
    // that the windows stand where the program places them (a Wayland
    // compositor would place them itself); null to leave the choice to the
    // user or to Qt.
    const char* platform;
};
DisplayChoice ChosenDisplay(const char* userPlatform, const char* display, const char* waylandDisplay);

// Whether an X server takes a connection at DISPLAY: Qt's X11 platform
// aborts when none does (a stale DISPLAY after an ended ssh session, say).
bool XServerAnswers(const char* display);

// Applies ChosenDisplay to this process's environment, with Qt's own
// -platform and -display arguments taking the place of the variables, as Qt
// takes them; an X display that does not answer counts as none. Call before
// the application object is created. Returns false, having said on standard
// error in one line what is missing, when there is nothing to show the
// windows on.
bool ChooseDisplayPlatform(int argc, char** argv, bool (*xServerAnswers)(const char* display) = XServerAnswers);

// Makes Czech the default locale, so that Qt's dialogs show dates, sizes and
// file types the Czech way whatever the system's language.
void UseCzechLocale();

} // namespace ravo
