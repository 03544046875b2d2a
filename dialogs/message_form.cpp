// The program's message boxes: the form, its keys, and the boxes built on it.
#include "dialogs/message_form.h"

#include "dialogs/application_state.h"
#include "dialogs/message_layout.h"
#include "dialogs/modal_scope.h"
#include "dialogs/placement.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace ravo {

namespace {

const QString kMeasureLetters =
    QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");

constexpr Qt::KeyboardModifiers kHeldModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

std::size_t IndexOf(MsgDlgBtn button)
{
    const auto& table = MessageButtons();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].button == button)
            return i;
    Q_ASSERT(false);
    return 0;
}

// The platform's message font where the theme names one; the application
// font otherwise.
QFont MessageFont()
{
    return QApplication::font("QMessageBoxLabel");
}

QSize WrappedTextSize(const QFontMetrics& metrics, const QString& text, int wrapWidth)
{
    constexpr int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs;
    return metrics.boundingRect(QRect(0, 0, wrapWidth, 0), flags, text).size();
}

// The icon of a kind at 32 x 32 pixels from the style; null for custom.
QPixmap MessageIcon(MsgDlgType kind)
{
    QStyle::StandardPixmap which;
    switch (kind) {
    case MsgDlgType::Warning: which = QStyle::SP_MessageBoxWarning; break;
    case MsgDlgType::Error: which = QStyle::SP_MessageBoxCritical; break;
    case MsgDlgType::Information: which = QStyle::SP_MessageBoxInformation; break;
    case MsgDlgType::Confirmation: which = QStyle::SP_MessageBoxQuestion; break;
    default: return QPixmap();
    }
    return QApplication::style()->standardIcon(which).pixmap(kMessageIconSize, kMessageIconSize);
}

// The caption of a kind; the custom kind takes the application's title.
QString MessageCaption(MsgDlgType kind)
{
    switch (kind) {
    case MsgDlgType::Warning: return QStringLiteral("Warning");
    case MsgDlgType::Error: return QStringLiteral("Error");
    case MsgDlgType::Information: return QStringLiteral("Information");
    case MsgDlgType::Confirmation: return QStringLiteral("Confirm");
    case MsgDlgType::Custom: break;
    }
    return ApplicationTitle();
}

} // namespace

int CaptionWidthOf(MsgDlgBtn button, const QFont& font)
{
    // Measured once per run: every later box reuses the first width.
    static std::array<int, kMessageButtonCount> widths{};
    const std::size_t index = IndexOf(button);
    if (widths[index] == 0) {
        const QString caption = QString::fromLatin1(MessageButtons()[index].caption);
        widths[index] = QFontMetrics(font).horizontalAdvance(CaptionWithoutAccel(caption));
    }
    return widths[index];
}

TMessageForm::TMessageForm(const QString& text, MsgDlgType kind, MsgDlgButtons buttons,
                           QScreen* screen)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      text_(text), buttonSet_(buttons), screen_(screen)
{
    setObjectName(QStringLiteral("TMessageForm"));
    setFont(MessageFont());
    if (screen_)
        setScreen(screen_);
    createControls(text, kind);
    installEventFilter(this);
}

void TMessageForm::createControls(const QString& text, MsgDlgType kind)
{
    const QFontMetrics metrics(font());
    const QSize letters = metrics.size(Qt::TextSingleLine, kMeasureLetters);
    const QPixmap icon = MessageIcon(kind);
    const QScreen* screen = screen_ ? screen_ : QGuiApplication::primaryScreen();

    MessageFormInput input;
    input.charWidth = letters.width() / 52;
    input.charHeight = letters.height();
    input.text = WrappedTextSize(metrics, text, MessageWrapWidth(screen->geometry().width()));
    input.hasIcon = !icon.isNull();
    input.buttons = buttonSet_;
    for (std::size_t i = 0; i < MessageButtons().size(); ++i)
        if (buttonSet_ & MessageButtons()[i].button)
            input.captionWidths[i] = CaptionWidthOf(MessageButtons()[i].button, font());
    const MessageFormLayout layout = LayOutMessageForm(input);

    setFixedSize(layout.client);
    setWindowTitle(MessageCaption(kind));
    if (layout.hasIcon) {
        auto* image = new QLabel(this);
        image->setObjectName(QStringLiteral("Image"));
        image->setPixmap(icon);
        image->setGeometry(layout.icon);
    }
    auto* message = new QLabel(this);
    message->setObjectName(QStringLiteral("Message"));
    message->setTextFormat(Qt::PlainText);
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message->setWordWrap(true);
    message->setText(text);
    message->setGeometry(layout.message);

    for (const MessageButtonPlace& place : layout.buttons) {
        const MessageButtonInfo& info = MessageButtons()[IndexOf(place.button)];
        auto* button = new QPushButton(QString::fromLatin1(info.caption), this);
        button->setObjectName(QString::fromLatin1(info.name));
        button->setGeometry(place.rect);
        button->setAutoDefault(true);
        button->setDefault(place.button == layout.defaultButton);
        button->installEventFilter(this);
        if (place.button != mbHelp) {
            const int result = info.result;
            connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        }
        if (place.button == layout.cancelButton)
            cancelButton_ = button;
        buttons_.push_back(button);
    }
    if (!buttons_.empty())
        buttons_.front()->setFocus(Qt::OtherFocusReason);
}

void TMessageForm::reject()
{
    done(mrCancel);
}

void TMessageForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    const QScreen* screen = screen_ ? screen_ : QGuiApplication::primaryScreen();
    Place(*this, screen->geometry(), CentredOnMonitor);
}

bool TMessageForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != this &&
        std::find(buttons_.begin(), buttons_.end(), watched) == buttons_.end())
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // Accepting the override keeps Qt's own mnemonic and default-button
    // handling from acting on a key the form handles itself.
    if (event->type() == QEvent::ShortcutOverride && handlesKey(key)) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress && handlesKey(key))
        return previewKey(key);
    return QDialog::eventFilter(watched, event);
}

bool TMessageForm::handlesKey(const QKeyEvent* key) const
{
    const Qt::KeyboardModifiers held = key->modifiers() & kHeldModifiers;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    case Qt::Key_C:
        if (held == Qt::ControlModifier || held == (Qt::ControlModifier | Qt::ShiftModifier))
            return true;
        break;
    default:
        break;
    }
    const bool letterModifiers = !(held & ~(Qt::AltModifier | Qt::ShiftModifier));
    return letterModifiers && buttonWithAccessLetter(key->key()) != nullptr;
}

bool TMessageForm::previewKey(QKeyEvent* key)
{
    const Qt::KeyboardModifiers held = key->modifiers() & kHeldModifiers;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused && held == Qt::NoModifier)
            focused->click();
        return true;
    case Qt::Key_Escape:
        if (cancelButton_ && held == Qt::NoModifier)
            cancelButton_->click();
        return true;
    case Qt::Key_C:
        if (held == Qt::ControlModifier) {
            copyToClipboard();
            return true;
        }
        if (held == (Qt::ControlModifier | Qt::ShiftModifier))
            return true;
        break;
    default:
        break;
    }
    if (QPushButton* button = buttonWithAccessLetter(key->key())) {
        button->click();
        return true;
    }
    return false;
}

QPushButton* TMessageForm::buttonWithAccessLetter(int key) const
{
    if (key < Qt::Key_A || key > Qt::Key_Z)
        return nullptr;
    const QChar letter(QLatin1Char(static_cast<char>('A' + (key - Qt::Key_A))));
    for (QPushButton* button : buttons_)
        if (AccessLetter(button->text()) == letter)
            return button;
    return nullptr;
}

void TMessageForm::copyToClipboard()
{
    QApplication::beep();
    QApplication::clipboard()->setText(
        MessageFormClipboardText(windowTitle(), text_, buttonSet_));
}

int RunMessageForm(const QString& text, MsgDlgType kind, MsgDlgButtons buttons)
{
    ModalScope scope;
    TMessageForm form(text, kind, buttons, ScreenForBox());
    return form.exec();
}

void ShowNotice(const QString& text)
{
    RunMessageForm(text, MsgDlgType::Custom, mbOK);
}

bool ConfirmYesNo(const QString& question)
{
    return RunMessageForm(question, MsgDlgType::Confirmation, mbYes | mbNo) == mrYes;
}

} // namespace ravo
