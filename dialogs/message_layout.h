// The arithmetic of the message form: where its icon, text and buttons go,
// worked out from the font's average character size and the measured text,
// so that the rules can be checked without a window.
#pragma once

#include "dialogs/message_kinds.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <vector>

namespace ravo {

inline constexpr int kMessageButtonCount = 11;
inline constexpr int kMessageIconSize = 32;

// What each of the eleven buttons is: its bit, component name, caption
// (the letter after "&" is its access key) and the result it returns.
struct MessageButtonInfo {
    MsgDlgBtn button;
    const char* name;
    const char* caption;
    int result;
};
const std::array<MessageButtonInfo, kMessageButtonCount>& MessageButtons();

// The caption as the user reads it: every "&" removed.
QString CaptionWithoutAccel(const QString& caption);
// The access letter of a caption (upper case), or a null QChar.
QChar AccessLetter(const QString& caption);

// value * base / divisor to the nearest whole pixel, halves away from zero.
int DialogUnitsToPixels(int value, int base, int divisor);

// The dialog-unit constants of the form in pixels for X and Y.
struct MessageFormSpacing {
    int horzMargin;
    int vertMargin;
    int horzSpacing;
    int vertSpacing;
    int buttonMinWidth;
    int buttonHeight;
    int buttonSpacing;
};
MessageFormSpacing SpacingFor(int charWidth, int charHeight);

// The width the text is wrapped within: half the screen, halved in integers.
int MessageWrapWidth(int screenWidth);

struct MessageButtonPlace {
    MsgDlgBtn button;
    QRect rect;
};

// Everything the form needs to place its children, in client coordinates.
// defaultButton and cancelButton are 0 when the set holds no such button.
struct MessageFormLayout {
    QSize client;
    bool hasIcon = false;
    QRect icon;
    QRect message;
    std::vector<MessageButtonPlace> buttons;
    unsigned defaultButton = 0;
    unsigned cancelButton = 0;
};

// Inputs of the layout: X and Y of the font, the wrapped text's size, and
// for each button (in table order) its caption width as displayed.
struct MessageFormInput {
    int charWidth = 0;
    int charHeight = 0;
    QSize text;
    bool hasIcon = false;
    MsgDlgButtons buttons = 0;
    std::array<int, kMessageButtonCount> captionWidths{};
};
MessageFormLayout LayOutMessageForm(const MessageFormInput& input);

// The seven-line text Ctrl+C puts on the clipboard, CR LF after every line.
QString MessageFormClipboardText(const QString& caption, const QString& text,
                                 MsgDlgButtons buttons);

} // namespace ravo
