// The error path: which errors reach the box, what the box says, and that
// the program goes on afterwards.
#include "dialogs/application_state.h"
#include "dialogs/error_display.h"
#include "dialogs/guard.h"
#include "dialogs/placement.h"

#include "engine/exception.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/support/modal_boxes.h"
#include "tests/support/qt_printers.h"

#include <stdexcept>

namespace ravo {
namespace {

struct SeenBox {
    bool shown = false;
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Watches for a modal box while `action` runs, records it and presses OK.
SeenBox WatchForBox(const std::function<void()>& action)
{
    SeenBox seen;
    testing::ModalWatch<QMessageBox> watch(
        [&seen](QMessageBox& box) {
            seen.shown = true;
            seen.caption = box.windowTitle();
            seen.text = box.text();
            seen.icon = box.icon();
            for (QAbstractButton* button : box.buttons())
                seen.buttons << button->text();
            QTest::keyClick(&box, Qt::Key_Return);
        },
        testing::ModalWatch<QMessageBox>::Repeat::Once, 0);
    watch.Start();
    action();
    QApplication::processEvents();
    return seen;
}

SeenBox ShowFor(const std::exception& error)
{
    return WatchForBox([&] { ReportUnhandledError(error); });
}

TEST(ErrorBox, TextFollowsTheFullStopRule)
{
    struct Case { std::string message; QString shown; };
    const Case cases[] = {
        {"File not found", "File not found."},
        {"I/O error 32", "I/O error 32."},
        {"List index out of bounds (7)", "List index out of bounds (7)"},
        {"Opravdu?", "Opravdu?."},
        {"Pozor!", "Pozor!"},
        {"cesta/", "cesta/."},
        {"dvojtečka:", "dvojtečka:."},
        {"Hotovo.", "Hotovo."},
        {"mezera ", "mezera "},
        {"Soubor nelze otevřít: žluťoučký kůň", "Soubor nelze otevřít: žluťoučký kůň."},
        {"", ""},
    };
    SetApplicationTitle(QStringLiteral("RAVO"));
    for (const Case& c : cases) {
        const SeenBox seen = ShowFor(Exception(c.message));
        ASSERT_TRUE(seen.shown) << c.message;
        EXPECT_EQ(seen.text, c.shown) << c.message;
    }
}

TEST(ErrorBox, CaptionIconAndSingleOkButton)
{
    SetApplicationTitle(QStringLiteral("RAVO"));
    const SeenBox seen = ShowFor(EStringListError(-1));
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.caption, QStringLiteral("RAVO"));
    EXPECT_EQ(seen.text, QStringLiteral("List index out of bounds (-1)"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    ASSERT_EQ(seen.buttons.size(), 1);
    EXPECT_EQ(QString(seen.buttons.first()).remove('&'), QStringLiteral("OK"));
}

// Centred by its outer size: the offscreen platform frames it too.
TEST(ErrorBox, CentredOnTheScreenByOuterSize)
{
    QRect frame;
    QSize client;
    testing::ModalWatch<QMessageBox> watch(
        [&](QMessageBox& box) {
            frame = box.frameGeometry();
            client = box.size();
            QTest::keyClick(&box, Qt::Key_Return);
        },
        testing::ModalWatch<QMessageBox>::Repeat::Once, 0);
    watch.Start();
    ReportUnhandledError(Exception("Disk full"));
    ASSERT_TRUE(frame.isValid());
    ASSERT_NE(frame.size(), client) << "a frame to tell the outer size from the client size";
    EXPECT_EQ(frame.topLeft(), CentredOnMonitor(QGuiApplication::primaryScreen()->geometry(), frame.size()));
}

TEST(ErrorBox, ForeignErrorsShowTheirWhat)
{
    const SeenBox seen = ShowFor(std::runtime_error("Unable to insert a line"));
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, QStringLiteral("Unable to insert a line."));
}

TEST(ErrorBox, SilentAbortShowsNothing)
{
    const SeenBox seen = ShowFor(EAbort());
    EXPECT_FALSE(seen.shown);
}

TEST(ErrorBox, MouseGrabIsCancelledFirst)
{
    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.grabMouse();
    ASSERT_EQ(QWidget::mouseGrabber(), &window);
    ShowFor(EAbort());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST(Guard, ErrorLeavingAHandlerIsShownAndTheRestRuns)
{
    int ranAfter = 0;
    bool reached = false;
    auto handler = Guard([&](int value) {
        reached = value == 5;
        throw Exception("File not found");
    });
    const SeenBox seen = WatchForBox([&] {
        handler(5);
        ++ranAfter;
    });
    EXPECT_TRUE(reached);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, QStringLiteral("File not found."));
    EXPECT_EQ(ranAfter, 1);
}

TEST(EventDelivery, ErrorIsReportedAndCountsAsHandled)
{
    bool result = false;
    const SeenBox seen = WatchForBox([&] {
        result = DeliverReportingErrors([]() -> bool { throw Exception("Disk full"); });
    });
    EXPECT_TRUE(result);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, QStringLiteral("Disk full."));

    const SeenBox quiet = WatchForBox([&] { result = DeliverReportingErrors([] { return false; }); });
    EXPECT_FALSE(result);
    EXPECT_FALSE(quiet.shown);
}

} // namespace
} // namespace ravo
