// Choices made before the application object exists: the display platform
// and the program's locale.
#pragma once

namespace ravo {

// The Qt platform the program asks for, given the environment's
// QT_QPA_PLATFORM and DISPLAY (null when unset): "xcb" when the user chose
// no platform and an X display is there, so that the windows stand where the
// program places them (a Wayland compositor would place them itself); null
// to leave the choice to the user or to Qt.
const char* ChosenDisplayPlatform(const char* userPlatform, const char* display);

// Applies ChosenDisplayPlatform to this process's environment; call before
// the application object is created.
void ChooseDisplayPlatform();

// Makes Czech the default locale, so that Qt's dialogs show dates, sizes and
// file types the Czech way whatever the system's language.
void UseCzechLocale();

} // namespace ravo
