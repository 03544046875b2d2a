// The real message form: what the user sees and what each key returns.
#include "dialogs/message_form.h"

#include "dialogs/application_state.h"
#include "dialogs/message_layout.h"
#include "dialogs/placement.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/support/qt_printers.h"

#include <functional>

namespace ravo {
namespace {

// Runs `answer` on the form once it is up and returns RunMessageForm's result.
int RunAnswering(const QString& text, MsgDlgType kind, MsgDlgButtons buttons,
                 const std::function<void(TMessageForm&)>& answer)
{
    bool answered = false;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<TMessageForm*>(QApplication::activeModalWidget());
        answered = form != nullptr;
        if (!form) {
            ADD_FAILURE() << "no message form is up";
            return;
        }
        answer(*form);
        // A key that should have closed the form but did not: close it
        // so the test fails instead of hanging.
        if (form->isVisible())
            QTimer::singleShot(0, form, [form] { form->done(-1); });
    });
    const int result = RunMessageForm(text, kind, buttons);
    EXPECT_TRUE(answered);
    return result;
}

std::function<void(TMessageForm&)> Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    return [key, mods](TMessageForm& form) {
        QWidget* target = form.focusWidget() ? form.focusWidget() : &form;
        QTest::keyClick(target, key, mods);
    };
}

TEST(MessageFormKeys, ResultsOfKeysAndClicks)
{
    const QString question = QStringLiteral("Odstranit z výběru všechny soubory?");
    struct Case {
        const char* name;
        MsgDlgType kind;
        MsgDlgButtons buttons;
        std::function<void(TMessageForm&)> answer;
        int expected;
    };
    const auto click = [](const char* name) {
        return [name](TMessageForm& form) {
            QTest::mouseClick(form.findChild<QPushButton*>(QString::fromLatin1(name)),
                              Qt::LeftButton);
        };
    };
    const auto closeBox = [](TMessageForm& form) { form.close(); };
    const Case cases[] = {
        {"confirm Enter on Yes", MsgDlgType::Confirmation, mbYes | mbNo, Key(Qt::Key_Return), mrYes},
        {"confirm keypad Enter", MsgDlgType::Confirmation, mbYes | mbNo,
         Key(Qt::Key_Enter, Qt::KeypadModifier), mrYes},
        {"confirm Escape", MsgDlgType::Confirmation, mbYes | mbNo, Key(Qt::Key_Escape), mrNo},
        {"confirm close box", MsgDlgType::Confirmation, mbYes | mbNo, closeBox, mrCancel},
        {"confirm Tab then Enter", MsgDlgType::Confirmation, mbYes | mbNo,
         [](TMessageForm& form) {
             QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
             QTest::keyClick(form.focusWidget(), Qt::Key_Return);
         },
         mrNo},
        {"confirm letter N", MsgDlgType::Confirmation, mbYes | mbNo, Key(Qt::Key_N), mrNo},
        {"confirm Alt+N", MsgDlgType::Confirmation, mbYes | mbNo, Key(Qt::Key_N, Qt::AltModifier),
         mrNo},
        {"confirm letter Y after Tab", MsgDlgType::Confirmation, mbYes | mbNo,
         [](TMessageForm& form) {
             QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
             QTest::keyClick(form.focusWidget(), Qt::Key_Y);
         },
         mrYes},
        {"confirm click No", MsgDlgType::Confirmation, mbYes | mbNo, click("No"), mrNo},
        {"notice Enter", MsgDlgType::Custom, mbOK, Key(Qt::Key_Return), mrOk},
        {"notice Escape presses OK", MsgDlgType::Custom, mbOK, Key(Qt::Key_Escape), mrOk},
        {"notice click", MsgDlgType::Custom, mbOK, click("OK"), mrOk},
        {"notice close box", MsgDlgType::Custom, mbOK, closeBox, mrCancel},
        {"first of two equal letters", MsgDlgType::Warning, mbAll | mbYesToAll, Key(Qt::Key_A), mrAll},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RunAnswering(question, c.kind, c.buttons, c.answer), c.expected);
    }
}

TEST(MessageFormKeys, HeldModifiersStopEnterAndEscape)
{
    struct Case { Qt::Key key; Qt::KeyboardModifiers mods; };
    const Case cases[] = {
        {Qt::Key_Return, Qt::ShiftModifier}, {Qt::Key_Return, Qt::ControlModifier},
        {Qt::Key_Return, Qt::AltModifier},   {Qt::Key_Escape, Qt::ShiftModifier},
        {Qt::Key_Escape, Qt::ControlModifier}, {Qt::Key_N, Qt::ControlModifier},
    };
    for (const Case& c : cases) {
        const int result = RunAnswering("?", MsgDlgType::Confirmation, mbYes | mbNo,
                                        [c](TMessageForm& form) {
                                            QTest::keyClick(form.focusWidget(), c.key, c.mods);
                                            EXPECT_TRUE(form.isVisible());
                                        });
        EXPECT_EQ(result, -1) << "key " << c.key << " mods " << c.mods.toInt();
    }
}

TEST(MessageFormKeys, HelpButtonDoesNotClose)
{
    const int result = RunAnswering("?", MsgDlgType::Information, mbOK | mbHelp,
                                    [](TMessageForm& form) {
                                        QTest::keyClick(form.focusWidget(), Qt::Key_H);
                                        EXPECT_TRUE(form.isVisible());
                                        QTest::keyClick(form.focusWidget(), Qt::Key_Return);
                                    });
    EXPECT_EQ(result, mrOk);
}

TEST(MessageFormClipboard, CtrlCCopiesAndCtrlShiftCDoesNot)
{
    const QString question = QStringLiteral("Odstranit z výběru všechny soubory?");
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));
    QString afterShift;
    QString afterCtrl;
    const int result = RunAnswering(question, MsgDlgType::Confirmation, mbYes | mbNo,
                                    [&](TMessageForm& form) {
                                        QTest::keyClick(form.focusWidget(), Qt::Key_C,
                                                        Qt::ControlModifier | Qt::ShiftModifier);
                                        afterShift = clipboard->text();
                                        QTest::keyClick(form.focusWidget(), Qt::Key_C,
                                                        Qt::ControlModifier);
                                        afterCtrl = clipboard->text();
                                        EXPECT_TRUE(form.isVisible());
                                        QTest::keyClick(form.focusWidget(), Qt::Key_Escape);
                                    });
    EXPECT_EQ(result, mrNo);
    EXPECT_EQ(afterShift, QStringLiteral("before"));
    const QString rule(27, QLatin1Char('-'));
    EXPECT_EQ(afterCtrl, rule + "\r\nConfirm\r\n" + rule + "\r\n" + question + "\r\n" + rule +
                             "\r\nYes   No   \r\n" + rule + "\r\n");
}

struct Look {
    QString caption;
    bool hasIcon = false;
    QStringList buttons;
    QString focused;
    QString defaultButton;
    QRect message;
    QSize client;
    bool fixedSize = false;
    QFont font;
};

Look LookAt(const QString& text, MsgDlgType kind, MsgDlgButtons buttons)
{
    Look look;
    RunAnswering(text, kind, buttons, [&](TMessageForm& form) {
        look.caption = form.windowTitle();
        auto* image = form.findChild<QLabel*>(QStringLiteral("Image"));
        look.hasIcon = image && !image->pixmap().isNull();
        for (QPushButton* button : form.findChildren<QPushButton*>()) {
            look.buttons << button->text();
            if (button->isDefault())
                look.defaultButton = button->objectName();
        }
        if (form.focusWidget())
            look.focused = form.focusWidget()->objectName();
        look.message = form.findChild<QLabel*>(QStringLiteral("Message"))->geometry();
        look.client = form.size();
        look.fixedSize = form.minimumSize() == form.maximumSize();
        look.font = form.font();
        QTest::keyClick(form.focusWidget(), Qt::Key_Escape);
    });
    return look;
}

TEST(MessageFormLook, CaptionIconButtonsAndFocusByKind)
{
    SetApplicationTitle(QStringLiteral("RAVO"));
    struct Case {
        MsgDlgType kind;
        MsgDlgButtons buttons;
        const char* caption;
        bool icon;
        QStringList captions;
    };
    const Case cases[] = {
        {MsgDlgType::Custom, mbOK, "RAVO", false, {"OK"}},
        {MsgDlgType::Confirmation, mbYes | mbNo, "Confirm", true, {"&Yes", "&No"}},
        {MsgDlgType::Warning, mbOK | mbCancel, "Warning", true, {"OK", "Cancel"}},
        {MsgDlgType::Error, mbAbort | mbRetry | mbIgnore, "Error", true,
         {"&Abort", "&Retry", "&Ignore"}},
        {MsgDlgType::Information, mbOK, "Information", true, {"OK"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        const Look look = LookAt("x", c.kind, c.buttons);
        EXPECT_EQ(look.caption, QString::fromLatin1(c.caption));
        EXPECT_EQ(look.hasIcon, c.icon);
        EXPECT_EQ(look.buttons, c.captions);
        // The leftmost button has the focus and the default frame, so
        // Enter presses it.
        const QString leftmost = QString(c.captions.first()).remove('&');
        EXPECT_EQ(look.focused, leftmost);
        EXPECT_EQ(look.defaultButton, leftmost);
        EXPECT_TRUE(look.fixedSize);
    }
}

TEST(MessageFormLook, CustomCaptionFollowsTheApplicationTitle)
{
    SetApplicationTitle(QStringLiteral("Jiný název"));
    const Look look = LookAt("x", MsgDlgType::Custom, mbOK);
    SetApplicationTitle(QStringLiteral("RAVO"));
    EXPECT_EQ(look.caption, QStringLiteral("Jiný název"));
}

// X and Y as the form measures them in its own font.
QSize CharSize(const QFont& font)
{
    const QSize letters = QFontMetrics(font).size(
        Qt::TextSingleLine, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize(letters.width() / 52, letters.height());
}

TEST(MessageFormLook, ShortNoticeIsOneMinimumButtonWide)
{
    const Look look = LookAt(QStringLiteral("Krátce."), MsgDlgType::Custom, mbOK);
    const QSize xy = CharSize(look.font);
    const MessageFormSpacing s = SpacingFor(xy.width(), xy.height());
    EXPECT_EQ(look.client.width(), s.buttonMinWidth + 2 * s.horzMargin);
    EXPECT_EQ(look.message.topLeft(), QPoint(s.horzMargin, s.vertMargin));
    EXPECT_EQ(look.message.height(), QFontMetrics(look.font).height());
}

TEST(MessageFormLook, LongTextWrapsWithinHalfTheScreen)
{
    const QString word = QStringLiteral("slovo ");
    const QString text = word.repeated(200);
    const Look look = LookAt(text, MsgDlgType::Custom, mbOK);
    const int half = QGuiApplication::primaryScreen()->geometry().width() / 2;
    const QSize xy = CharSize(look.font);
    const MessageFormSpacing s = SpacingFor(xy.width(), xy.height());
    EXPECT_LE(look.message.width(), half);
    EXPECT_GT(look.message.width(), half - QFontMetrics(look.font).horizontalAdvance(word) - 1);
    EXPECT_GE(look.message.height(), 3 * QFontMetrics(look.font).height());
    EXPECT_EQ(look.client.width(), look.message.width() + 2 * s.horzMargin);
}

TEST(MessageFormLook, OneLineBesideTheIconKeepsButtonsBelowIt)
{
    RunAnswering(QStringLiteral("Jedna řádka"), MsgDlgType::Confirmation, mbYes | mbNo,
                 [](TMessageForm& form) {
                     const QRect icon = form.findChild<QLabel*>(QStringLiteral("Image"))->geometry();
                     const QRect message = form.findChild<QLabel*>(QStringLiteral("Message"))->geometry();
                     const QRect yes = form.findChild<QPushButton*>(QStringLiteral("Yes"))->geometry();
                     const QRect no = form.findChild<QPushButton*>(QStringLiteral("No"))->geometry();
                     EXPECT_EQ(icon.size(), QSize(32, 32));
                     EXPECT_GT(message.left(), icon.right());
                     EXPECT_GT(yes.top(), icon.bottom());
                     EXPECT_EQ(yes.size(), no.size());
                     EXPECT_EQ(yes.top(), no.top());
                     // The row is centred: equal room left of Yes and right of No.
                     const int right = form.width() - 1 - no.right();
                     EXPECT_LE(std::abs(yes.left() - right), 1);
                     QTest::keyClick(form.focusWidget(), Qt::Key_Escape);
                 });
}

TEST(MessageFormLook, CentredOnTheScreenByOuterSize)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    RunAnswering(QStringLiteral("Uprostřed"), MsgDlgType::Custom, mbOK, [&](TMessageForm& form) {
        const QRect frame = form.frameGeometry();
        EXPECT_EQ(frame.topLeft(), CentredOnMonitor(screen, frame.size()));
        EXPECT_NE(frame.topLeft(), QPoint(0, 0));
        QTest::keyClick(form.focusWidget(), Qt::Key_Escape);
    });
}

// A dialog window whose title bar offers the close box and nothing else.
TEST(MessageFormLook, TitleBarHasTheCloseBoxOnly)
{
    Qt::WindowFlags flags;
    RunAnswering(QStringLiteral("Rámeček"), MsgDlgType::Confirmation, mbYes | mbNo, [&](TMessageForm& form) {
        flags = form.windowFlags();
        QTest::keyClick(form.focusWidget(), Qt::Key_Escape);
    });
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint)) << "only the hints given count";
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    for (const Qt::WindowType hint : {Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint,
                                      Qt::WindowContextHelpButtonHint})
        EXPECT_FALSE(flags.testFlag(hint)) << hint;
}

TEST(MessageFormCaptionWidth, MeasuredOnceForTheRun)
{
    QFont small = QApplication::font();
    small.setPixelSize(8);
    QFont huge = QApplication::font();
    huge.setPixelSize(60);
    const int first = CaptionWidthOf(mbIgnore, small);
    EXPECT_GT(first, 0);
    EXPECT_EQ(CaptionWidthOf(mbIgnore, huge), first);
}

TEST(MessageFormFocus, ActiveWindowAndFocusComeBack)
{
    QWidget window;
    new QPushButton("a", &window);
    auto* second = new QPushButton("b", &window);
    second->move(0, 40);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    second->setFocus();
    RunAnswering("x", MsgDlgType::Custom, mbOK,
                 [](TMessageForm& form) { QTest::keyClick(form.focusWidget(), Qt::Key_Return); });
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &window);
    EXPECT_EQ(QApplication::focusWidget(), second);
}

} // namespace
} // namespace ravo
