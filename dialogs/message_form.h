// The program's own message boxes: a small modal form laid out from a text,
// a kind (caption and icon) and a set of buttons, and the notice built on it.
#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "dialogs/message_kinds.h"

class QFont;
class QKeyEvent;
class QPushButton;
class QScreen;

namespace ravo {

// The form of one message box: an optional icon (`Image`), the wrapped text
// (`Message`) and a row of equally wide buttons named as their kind. It
// previews every key: Enter presses the focused button, Escape the cancel
// button, an access letter its button, Ctrl+C copies the box as text. The
// close box gives mrCancel. Built afresh for every showing.
class TMessageForm : public QDialog {
    Q_OBJECT
public:
    // screen is the monitor the form wraps its text for and is centred on.
    TMessageForm(const QString& text, MsgDlgType kind, MsgDlgButtons buttons, QScreen* screen);

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls(const QString& text, MsgDlgType kind);
    bool previewKey(QKeyEvent* key);
    bool handlesKey(const QKeyEvent* key) const;
    QPushButton* buttonWithAccessLetter(int key) const;
    void copyToClipboard();

    QString text_;
    MsgDlgButtons buttonSet_;
    QScreen* screen_ = nullptr;
    std::vector<QPushButton*> buttons_;
    QPushButton* cancelButton_ = nullptr;
};

// The caption width of a button as displayed in the font, without its "&".
// Measured the first time a button is asked for; every later call returns
// that first measurement for the rest of the run.
int CaptionWidthOf(MsgDlgBtn button, const QFont& font);

// Builds the form, shows it modally centred on the screen, returns its result.
int RunMessageForm(const QString& text, MsgDlgType kind, MsgDlgButtons buttons);
// A custom box with the application's title and one OK button.
void ShowNotice(const QString& text);
// The Yes/No question; true only for Yes.
bool ConfirmYesNo(const QString& question);

} // namespace ravo
