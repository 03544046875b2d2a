// The message form's arithmetic: dialog units, the layout rectangles, the
// centring and the clipboard text.
#include "dialogs/message_layout.h"
#include "dialogs/placement.h"

#include <gtest/gtest.h>

#include "tests/support/qt_printers.h"

namespace ravo {
namespace {

TEST(DialogUnits, RoundHalvesAwayFromZero)
{
    struct Case { int value, base, divisor, expected; };
    const Case cases[] = {
        {8, 6, 4, 12},    {8, 13, 8, 13},   {10, 6, 4, 15},  {10, 13, 8, 16},
        {50, 6, 4, 75},   {14, 13, 8, 23},  {4, 6, 4, 6},    {10, 5, 4, 13},
        {50, 5, 4, 63},   {14, 6, 8, 11},   {14, 2, 8, 4},   {14, 11, 8, 19},
        {8, 7, 4, 14},    {4, 7, 4, 7},     {10, 7, 4, 18},  {0, 9, 4, 0},
        {-10, 5, 4, -13}, {-14, 11, 8, -19},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DialogUnitsToPixels(c.value, c.base, c.divisor), c.expected)
            << c.value << " x " << c.base << " / " << c.divisor;
}

TEST(DialogUnits, SpacingForSixByThirteen)
{
    const MessageFormSpacing s = SpacingFor(6, 13);
    EXPECT_EQ(s.horzMargin, 12);
    EXPECT_EQ(s.vertMargin, 13);
    EXPECT_EQ(s.horzSpacing, 15);
    EXPECT_EQ(s.vertSpacing, 16);
    EXPECT_EQ(s.buttonMinWidth, 75);
    EXPECT_EQ(s.buttonHeight, 23);
    EXPECT_EQ(s.buttonSpacing, 6);
}

std::array<int, kMessageButtonCount> Widths(int all)
{
    std::array<int, kMessageButtonCount> widths{};
    widths.fill(all);
    return widths;
}

struct LayoutCase {
    const char* name;
    MessageFormInput input;
    QSize client;
    QRect icon; // null when the box has no icon
    QRect message;
    std::vector<QRect> buttons;
    unsigned defaultButton;
    unsigned cancelButton;
};

TEST(MessageFormLayout, RectanglesFollowFontTextAndButtons)
{
    std::array<int, kMessageButtonCount> wideIgnore = Widths(20);
    wideIgnore[6] = 90; // "Ignore" wider than the minimum widens every button
    const LayoutCase cases[] = {
        // A short notice: as wide as the minimum OK button plus margins, centred.
        {"short notice", {6, 13, QSize(40, 13), false, mbOK, Widths(15)},
         QSize(75 + 24, 13 + 23 + 16 + 26), QRect(), QRect(12, 13, 40, 13),
         {QRect(12, 42, 75, 23)}, mbOK, mbOK},
        // A wide text sets the width and the lone button is centred under it.
        {"wide notice", {6, 13, QSize(300, 39), false, mbOK, Widths(15)},
         QSize(324, 39 + 23 + 16 + 26), QRect(), QRect(12, 13, 300, 39),
         {QRect(124, 68, 75, 23)}, mbOK, mbOK},
        // One line beside the icon: the block is 32 high, buttons below the icon.
        {"confirmation", {6, 13, QSize(200, 13), true, mbYes | mbNo, Widths(18)},
         QSize(200 + 32 + 15 + 24, 32 + 23 + 16 + 26), QRect(12, 13, 32, 32),
         QRect(12 + 32 + 15, 13, 200, 13), {QRect(57, 61, 75, 23), QRect(138, 61, 75, 23)},
         mbYes, mbNo},
        // A text taller than the icon keeps its own height.
        {"tall text with icon", {6, 13, QSize(100, 52), true, mbOK, Widths(15)},
         QSize(100 + 47 + 24, 52 + 23 + 16 + 26), QRect(12, 13, 32, 32),
         QRect(59, 13, 100, 52), {QRect(48, 81, 75, 23)}, mbOK, mbOK},
        // The button row is wider than the text: the row sets the width.
        {"row wider than text", {6, 13, QSize(10, 13), false, mbAbort | mbRetry | mbIgnore,
                                  Widths(20)},
         QSize(3 * 75 + 2 * 6 + 24, 13 + 23 + 16 + 26), QRect(), QRect(12, 13, 10, 13),
         {QRect(12, 42, 75, 23), QRect(93, 42, 75, 23), QRect(174, 42, 75, 23)}, mbRetry, 0},
        // A long caption widens every button to caption + 8.
        {"wide caption", {6, 13, QSize(10, 13), false, mbAbort | mbIgnore, wideIgnore},
         QSize(2 * 98 + 6 + 24, 78), QRect(), QRect(12, 13, 10, 13),
         {QRect(12, 42, 98, 23), QRect(116, 42, 98, 23)}, 0, 0},
        // X = 5 rounds halves up (63-pixel buttons); the free 21 pixels halve to 10.
        {"odd free width", {5, 12, QSize(132, 12), false, mbOK | mbCancel, Widths(10)},
         QSize(132 + 20, 12 + 21 + 15 + 24), QRect(), QRect(10, 12, 132, 12),
         {QRect(10, 39, 63, 21), QRect(78, 39, 63, 21)}, mbOK, mbCancel},
        // No buttons at all: no row, no default, no cancel.
        {"no buttons", {6, 13, QSize(30, 13), false, 0, Widths(10)},
         QSize(54, 78), QRect(), QRect(12, 13, 30, 13), {}, 0, 0},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const MessageFormLayout layout = LayOutMessageForm(c.input);
        EXPECT_EQ(layout.client, c.client);
        EXPECT_EQ(layout.hasIcon, !c.icon.isNull());
        if (layout.hasIcon) {
            EXPECT_EQ(layout.icon, c.icon);
        }
        EXPECT_EQ(layout.message, c.message);
        ASSERT_EQ(layout.buttons.size(), c.buttons.size());
        for (std::size_t i = 0; i < c.buttons.size(); ++i)
            EXPECT_EQ(layout.buttons[i].rect, c.buttons[i]) << "button " << i;
        EXPECT_EQ(layout.defaultButton, c.defaultButton);
        EXPECT_EQ(layout.cancelButton, c.cancelButton);
    }
}

TEST(MessageFormLayout, ButtonsStandInTableOrder)
{
    MessageFormInput input{6, 13, QSize(10, 13), false,
                           mbHelp | mbNo | mbCancel | mbYes | mbOK, Widths(10)};
    const MessageFormLayout layout = LayOutMessageForm(input);
    const std::vector<MsgDlgBtn> expected{mbYes, mbNo, mbOK, mbCancel, mbHelp};
    ASSERT_EQ(layout.buttons.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(layout.buttons[i].button, expected[i]);
        if (i > 0) {
            EXPECT_EQ(layout.buttons[i].rect.left(), layout.buttons[i - 1].rect.right() + 1 + 6);
        }
    }
}

TEST(MessageFormLayout, DefaultAndCancelButtonChoice)
{
    struct Case { MsgDlgButtons set; unsigned defaultButton, cancelButton; };
    const Case cases[] = {
        {mbOK, mbOK, mbOK},
        {mbYes | mbNo, mbYes, mbNo},
        {mbYes | mbNo | mbCancel, mbYes, mbCancel},
        {mbOK | mbCancel, mbOK, mbCancel},
        {mbAbort | mbRetry | mbIgnore, mbRetry, 0},
        {mbYes | mbOK | mbRetry, mbOK, mbOK},
        {mbRetry | mbCancel, mbRetry, mbCancel},
        {mbAll | mbHelp, 0, 0},
    };
    for (const Case& c : cases) {
        MessageFormInput input{6, 13, QSize(10, 13), false, c.set, Widths(10)};
        const MessageFormLayout layout = LayOutMessageForm(input);
        EXPECT_EQ(layout.defaultButton, c.defaultButton) << "set " << c.set;
        EXPECT_EQ(layout.cancelButton, c.cancelButton) << "set " << c.set;
    }
}

TEST(MessageFormLayout, CentringUsesOuterSizeAndMonitorOrigin)
{
    struct Case { QRect monitor; QSize outer; QPoint expected; };
    const Case cases[] = {
        {QRect(0, 0, 800, 600), QSize(100, 50), QPoint(350, 275)},
        {QRect(0, 0, 801, 601), QSize(100, 50), QPoint(350, 275)},
        {QRect(1920, 0, 1280, 1024), QSize(201, 101), QPoint(1920 + 539, 461)},
        {QRect(-1024, 100, 1024, 768), QSize(300, 120), QPoint(-1024 + 362, 100 + 324)},
        // A box larger than the monitor sticks out evenly; halving truncates.
        {QRect(0, 0, 400, 300), QSize(501, 401), QPoint(-50, -50)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CentredOnMonitor(c.monitor, c.outer), c.expected);
}

TEST(MessageButtonCaptions, AccessLettersAndPlainCaptions)
{
    struct Case { const char* caption; const char* plain; char letter; };
    const Case cases[] = {
        {"&Yes", "Yes", 'Y'},          {"&No", "No", 'N'},       {"OK", "OK", 0},
        {"Cancel", "Cancel", 0},       {"N&o to All", "No to All", 'O'},
        {"Yes to &All", "Yes to All", 'A'}, {"&help", "help", 'H'}, {"trailing&", "trailing", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CaptionWithoutAccel(QString::fromLatin1(c.caption)), QString::fromLatin1(c.plain));
        const QChar letter = AccessLetter(QString::fromLatin1(c.caption));
        EXPECT_EQ(letter, c.letter ? QChar(QLatin1Char(c.letter)) : QChar()) << c.caption;
    }
}

TEST(MessageFormClipboard, SevenLinesWithCrLf)
{
    const QString rule(27, QLatin1Char('-'));
    const QString expected = rule + "\r\nConfirm\r\n" + rule +
                             QStringLiteral("\r\nOdstranit z výběru všechny soubory?\r\n") + rule +
                             "\r\nYes   No   \r\n" + rule + "\r\n";
    EXPECT_EQ(MessageFormClipboardText(QStringLiteral("Confirm"),
                                       QStringLiteral("Odstranit z výběru všechny soubory?"),
                                       mbYes | mbNo),
              expected);
    const QString all = MessageFormClipboardText("T", "x", mbNoToAll | mbYesToAll | mbOK);
    EXPECT_TRUE(all.contains("\r\nOK   No to All   Yes to All   \r\n")) << all.toStdString();
    EXPECT_EQ(all.count("\r\n"), 7);
}

} // namespace
} // namespace ravo
