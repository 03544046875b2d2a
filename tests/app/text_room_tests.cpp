// Room for every text of every window: each caption, label, button, check box
// and group title, drawn in the font that actually stands in for the designed
// one, fits the space its window gives it at the design size and keeps clear
// of every other control and of the frames around it.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/message_form.h"
#include "app/program.h"

namespace ravo::testing {
namespace {

// The clear pixels a text keeps from anything that is not its own control;
// with none, its last letter reads as part of the next control.
constexpr int kClearance = 1;

// One text where its control draws it, in the window's coordinates.
struct DrawnText {
    std::string what;
    QFont font;
    QSize need;  // the text's own size
    QRect room;  // the space its control gives it
    QRect drawn; // the text aligned in that space
    const QWidget* owner;
    // A group's title stands over the group's own children.
    bool clearsChildren;
};

std::string NameOf(const QWidget& widget, const QString& text)
{
    return (widget.objectName() + QStringLiteral(" \"") + text + u'"').toStdString();
}

QRect InWindow(const QWidget& widget, const QRect& rect)
{
    return rect.translated(widget.mapTo(widget.window(), QPoint(0, 0)));
}

// The text as drawn: a single "&" marks the access letter and is not shown.
QString Shown(const QString& text)
{
    QString shown;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

DrawnText Aligned(const QWidget& owner, const QString& text, const QSize& need, const QRect& room,
                  Qt::Alignment alignment)
{
    const QRect drawn = QStyle::alignedRect(Qt::LeftToRight, alignment, need, room);
    return {NameOf(owner, text), owner.font(), need, InWindow(owner, room), InWindow(owner, drawn), &owner, false};
}

// A label's text in its contents rectangle, its margins and indent taken
// off as the label takes them; a wrapping label breaks it at its width.
std::vector<DrawnText> LabelText(const QLabel& label)
{
    if (label.text().isEmpty())
        return {};
    const QFontMetrics metrics(label.font());
    const QString shown = label.buddy() ? Shown(label.text()) : label.text();
    QRect room = label.contentsRect().adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
    int indent = label.indent();
    if (indent < 0 && label.frameWidth() > 0)
        indent = metrics.horizontalAdvance(u'x') / 2;
    if (indent > 0)
        room.adjust(label.alignment() & Qt::AlignLeft ? indent : 0, label.alignment() & Qt::AlignTop ? indent : 0,
                    label.alignment() & Qt::AlignRight ? -indent : 0,
                    label.alignment() & Qt::AlignBottom ? -indent : 0);
    QSize need(metrics.horizontalAdvance(shown), metrics.height());
    if (label.wordWrap()) {
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs;
        need = metrics.boundingRect(QRect(0, 0, room.width(), 1 << 20), flags, shown).size();
    }
    return {Aligned(label, label.text(), need, room, label.alignment())};
}

// A button's caption in the contents the style leaves beside its bevel or
// its tick box.
std::vector<DrawnText> ButtonText(const QAbstractButton& button)
{
    if (button.text().isEmpty())
        return {};
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    const bool check = qobject_cast<const QCheckBox*>(&button) != nullptr;
    const QRect room =
        button.style()->subElementRect(check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option,
                                       &button);
    const QFontMetrics metrics(button.font());
    const QSize need(metrics.horizontalAdvance(Shown(button.text())), metrics.height());
    return {Aligned(button, button.text(), need, room, check ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter)};
}

// A group's title where the style puts it, in a place it sizes to the
// title's width and pads above and below.
std::vector<DrawnText> GroupTitle(const QGroupBox& group)
{
    if (group.title().isEmpty())
        return {};
    QStyleOptionGroupBox option;
    option.initFrom(&group);
    option.text = group.title();
    option.textAlignment = group.alignment();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect title = group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &group);
    const QSize need(title.width(), QFontMetrics(group.font()).height());
    DrawnText text = Aligned(group, group.title(), need, title, Qt::AlignLeft | Qt::AlignVCenter);
    text.clearsChildren = true;
    return {text};
}

std::vector<DrawnText> TextsOf(const QWidget& control)
{
    if (const auto* label = qobject_cast<const QLabel*>(&control))
        return LabelText(*label);
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control))
        return ButtonText(*button);
    if (const auto* group = qobject_cast<const QGroupBox*>(&control))
        return GroupTitle(*group);
    return {};
}

bool Contains(const QWidget* ancestor, const QWidget* widget)
{
    for (; widget != nullptr; widget = widget->parentWidget())
        if (widget == ancestor)
            return true;
    return false;
}

// The font a window names is drawn in that family or in one of its
// stand-ins, never in whatever the system falls back to; the platform's own
// font (the message boxes') is the system's choice.
void ExpectDrawnInItsStandIn(const DrawnText& text)
{
    const QString asked = text.font.family();
    if (asked == QApplication::font().family())
        return;
    // A family several foundries make is named with its foundry: "Name [foundry]".
    const QString drawn = QFontInfo(text.font).family().section(QStringLiteral(" ["), 0, 0);
    EXPECT_TRUE(drawn == asked || QFont::substitutes(asked).contains(drawn, Qt::CaseInsensitive))
        << text.what << " asks for " << asked.toStdString() << " and is drawn in " << drawn.toStdString()
        << ", which is none of its stand-ins: are they installed (scripts/deps)?";
}

// A label of text alone draws nothing but its text: beside it, only that
// text counts. Every other control fills its whole place.
bool DrawsOnlyText(const QWidget& control)
{
    const auto* label = qobject_cast<const QLabel*>(&control);
    return label != nullptr && !label->text().isEmpty() && label->frameWidth() == 0 && !label->autoFillBackground();
}

// Every text of a window fits the room its control gives it, stays inside
// its control and every control around it, and keeps clear of all others.
// A group's title, which the style places with its own margins on the
// group's edge, needs only to stay off everything else.
void ExpectRoomForEveryText(const QWidget& window)
{
    std::vector<const QWidget*> controls;
    for (const QWidget* child : window.findChildren<QWidget*>())
        if (child->isVisibleTo(&window))
            controls.push_back(child);
    std::vector<DrawnText> texts;
    for (const QWidget* control : controls)
        for (const DrawnText& text : TextsOf(*control))
            texts.push_back(text);
    ASSERT_FALSE(texts.empty());
    for (const DrawnText& text : texts) {
        SCOPED_TRACE(text.what);
        ExpectDrawnInItsStandIn(text);
        EXPECT_LE(text.need.width(), text.room.width()) << "too wide by " << text.need.width() - text.room.width();
        EXPECT_LE(text.need.height(), text.room.height()) << "too high by " << text.need.height() - text.room.height();
        EXPECT_TRUE(InWindow(*text.owner, text.owner->rect()).contains(text.drawn)) << "runs over its own edge";
        const int clearance = text.clearsChildren ? 0 : kClearance;
        const QRect margin = text.drawn.adjusted(-clearance, -clearance, clearance, clearance);
        for (const QWidget* other : controls) {
            const QRect place = InWindow(*other, other->rect());
            if (other == text.owner || DrawsOnlyText(*other))
                continue;
            if (Contains(other, text.owner)) {
                EXPECT_TRUE(place.contains(margin)) << "runs over the edge of " << other->objectName().toStdString();
            } else if (!Contains(text.owner, other) || text.clearsChildren) {
                EXPECT_FALSE(place.intersects(margin)) << "touches " << other->objectName().toStdString();
            }
        }
        for (const DrawnText& other : texts) {
            if (&other != &text && other.owner != text.owner) {
                EXPECT_FALSE(other.drawn.intersects(margin)) << "touches " << other.what;
            }
        }
    }
}

bool ShowActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Opens one window of the program (or one of its boxes, kept in `box`) at
// its design size.
using Opener = std::function<QWidget&(Program&, std::unique_ptr<QWidget>& box)>;

Opener MessageBoxOf(const char* text, MsgDlgType kind, MsgDlgButtons buttons)
{
    return [=](Program&, std::unique_ptr<QWidget>& box) -> QWidget& {
        box = std::make_unique<TMessageForm>(QString::fromUtf8(text), kind, buttons, QGuiApplication::primaryScreen());
        return *box;
    };
}

class TextRoom : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SetUpApplication(*qApp); }
};

TEST_F(TextRoom, EveryTextFitsItsPlace)
{
    struct Window {
        const char* name;
        Opener open;
    };
    const Window windows[] = {
        {"main window", [](Program& program, auto&) -> QWidget& { return program.MainWindow(); }},
        {"backup dialog", [](Program& program, auto&) -> QWidget& { return program.BackupDialog(); }},
        {"backup dialog, ticked",
         [](Program& program, auto&) -> QWidget& {
             EXPECT_TRUE(ShowActive(program.BackupDialog()));
             program.BackupDialog().findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(true);
             return program.BackupDialog();
         }},
        {"help window", [](Program& program, auto&) -> QWidget& { return program.HelpWindow(); }},
        {"empty list notice", MessageBoxOf("Seznamu souborů je prázdný!", MsgDlgType::Custom, mbOK)},
        {"run notice", MessageBoxOf("Nejprve přidejte soubory do seznamu a vyplňte políčka pro řetězce!",
                                  MsgDlgType::Custom, mbOK)},
        {"confirmation",
         MessageBoxOf("Odstranit z výběru všechny soubory?", MsgDlgType::Confirmation, mbYes | mbNo)},
    };
    for (const Window& window : windows) {
        SCOPED_TRACE(window.name);
        Program program;
        std::unique_ptr<QWidget> box;
        QWidget& shown = window.open(program, box);
        ASSERT_TRUE(ShowActive(shown));
        ExpectRoomForEveryText(shown);
    }
}

} // namespace
} // namespace ravo::testing
