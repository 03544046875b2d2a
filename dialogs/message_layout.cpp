// The message form's geometry and clipboard text, free of any window.
#include "dialogs/message_layout.h"

#include <algorithm>
#include <cstdlib>

namespace ravo {

namespace {

// Dialog units of the form's layout.
constexpr int kHorzMarginDu = 8;
constexpr int kVertMarginDu = 8;
constexpr int kHorzSpacingDu = 10;
constexpr int kVertSpacingDu = 10;
constexpr int kButtonMinWidthDu = 50;
constexpr int kButtonHeightDu = 14;
constexpr int kButtonSpacingDu = 4;

// A caption is measured without its "&" and gets this much room around it.
constexpr int kButtonCaptionPadding = 8;

const QString kRule = QString(27, QLatin1Char('-'));
const QString kLineEnd = QStringLiteral("\r\n");

unsigned DefaultButtonOf(MsgDlgButtons set)
{
    for (unsigned candidate : {unsigned(mbOK), unsigned(mbYes), unsigned(mbRetry)})
        if (set & candidate)
            return candidate;
    return 0;
}

// The cancel button is looked for among Cancel, No and OK in that order;
// when none of them is in the set, Escape has nothing to press.
unsigned CancelButtonOf(MsgDlgButtons set)
{
    for (unsigned candidate : {unsigned(mbCancel), unsigned(mbNo)})
        if (set & candidate)
            return candidate;
    return (set & mbOK) ? unsigned(mbOK) : 0u;
}

} // namespace

const std::array<MessageButtonInfo, kMessageButtonCount>& MessageButtons()
{
    static const std::array<MessageButtonInfo, kMessageButtonCount> buttons{{
        {mbYes, "Yes", "&Yes", mrYes},
        {mbNo, "No", "&No", mrNo},
        {mbOK, "OK", "OK", mrOk},
        {mbCancel, "Cancel", "Cancel", mrCancel},
        {mbAbort, "Abort", "&Abort", mrAbort},
        {mbRetry, "Retry", "&Retry", mrRetry},
        {mbIgnore, "Ignore", "&Ignore", mrIgnore},
        {mbAll, "All", "&All", mrAll},
        {mbNoToAll, "NoToAll", "N&o to All", mrNoToAll},
        {mbYesToAll, "YesToAll", "Yes to &All", mrYesToAll},
        {mbHelp, "Help", "&Help", mrNone},
    }};
    return buttons;
}

QString CaptionWithoutAccel(const QString& caption)
{
    QString plain = caption;
    plain.remove(QLatin1Char('&'));
    return plain;
}

QChar AccessLetter(const QString& caption)
{
    const qsizetype at = caption.indexOf(QLatin1Char('&'));
    if (at < 0 || at + 1 >= caption.size())
        return QChar();
    return caption.at(at + 1).toUpper();
}

int DialogUnitsToPixels(int value, int base, int divisor)
{
    const long long product = static_cast<long long>(value) * base;
    const long long magnitude = (std::llabs(product) * 2 + divisor) / (2LL * divisor);
    return static_cast<int>(product < 0 ? -magnitude : magnitude);
}

MessageFormSpacing SpacingFor(int charWidth, int charHeight)
{
    const auto horz = [charWidth](int du) { return DialogUnitsToPixels(du, charWidth, 4); };
    const auto vert = [charHeight](int du) { return DialogUnitsToPixels(du, charHeight, 8); };
    return {horz(kHorzMarginDu),     vert(kVertMarginDu),    horz(kHorzSpacingDu),
            vert(kVertSpacingDu),    horz(kButtonMinWidthDu), vert(kButtonHeightDu),
            horz(kButtonSpacingDu)};
}

int MessageWrapWidth(int screenWidth)
{
    return screenWidth / 2;
}

MessageFormLayout LayOutMessageForm(const MessageFormInput& input)
{
    const MessageFormSpacing s = SpacingFor(input.charWidth, input.charHeight);
    const auto& table = MessageButtons();

    int buttonWidth = s.buttonMinWidth;
    int buttonCount = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!(input.buttons & table[i].button))
            continue;
        ++buttonCount;
        buttonWidth = std::max(buttonWidth, input.captionWidths[i] + kButtonCaptionPadding);
    }

    int blockWidth = input.text.width();
    int blockHeight = input.text.height();
    if (input.hasIcon) {
        blockWidth += kMessageIconSize + s.horzSpacing;
        blockHeight = std::max(blockHeight, kMessageIconSize);
    }
    const int rowWidth =
        buttonCount == 0 ? 0 : buttonCount * buttonWidth + (buttonCount - 1) * s.buttonSpacing;

    MessageFormLayout layout;
    layout.client = QSize(std::max(blockWidth, rowWidth) + 2 * s.horzMargin,
                          blockHeight + s.buttonHeight + s.vertSpacing + 2 * s.vertMargin);
    layout.hasIcon = input.hasIcon;
    if (input.hasIcon)
        layout.icon = QRect(s.horzMargin, s.vertMargin, kMessageIconSize, kMessageIconSize);
    layout.message = QRect(blockWidth - input.text.width() + s.horzMargin, s.vertMargin,
                           input.text.width(), input.text.height());

    int left = (layout.client.width() - rowWidth) / 2;
    const int top = blockHeight + s.vertMargin + s.vertSpacing;
    for (const MessageButtonInfo& info : table) {
        if (!(input.buttons & info.button))
            continue;
        layout.buttons.push_back({info.button, QRect(left, top, buttonWidth, s.buttonHeight)});
        left += buttonWidth + s.buttonSpacing;
    }
    layout.defaultButton = DefaultButtonOf(input.buttons);
    layout.cancelButton = CancelButtonOf(input.buttons);
    return layout;
}

QString MessageFormClipboardText(const QString& caption, const QString& text,
                                 MsgDlgButtons buttons)
{
    QString captions;
    for (const MessageButtonInfo& info : MessageButtons())
        if (buttons & info.button)
            captions += CaptionWithoutAccel(QString::fromLatin1(info.caption)) + QStringLiteral("   ");
    return kRule + kLineEnd + caption + kLineEnd + kRule + kLineEnd + text + kLineEnd + kRule +
           kLineEnd + captions + kLineEnd + kRule + kLineEnd;
}

} // namespace ravo
