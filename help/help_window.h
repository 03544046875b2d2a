// TForm3, the help window: three fixed topics chosen from link labels.
#pragma once

#include <QMainWindow>
#include <QStringList>

class QAction;
class QEvent;
class QGroupBox;
class QLabel;
class QPlainTextEdit;

namespace ravo {

// Created hidden at start and shown non-modally by the main window. Each time
// it becomes the active window it centres itself on the screen and shows the
// controls topic, whatever topic the user looked at before. It never ends the
// program: closing it (menu or close box) only hides it.
class TForm3 : public QMainWindow {
    Q_OBJECT
public:
    TForm3();

    // The lines each link label puts into the text area, in order.
    static QStringList UsageTopic();
    static QStringList ControlsTopic();
    static QStringList AboutTopic();

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Handlers of the link labels, the activation and the menu.
    void Label1Click();
    void Label2Click();
    void Label3Click();
    void Label1MouseMove();
    void Label2MouseMove();
    void Label3MouseMove();
    void Label1MouseLeave();
    void Label2MouseLeave();
    void Label3MouseLeave();
    void FormActivate();
    void Zavt1Click();

    void createMenu();
    void createLinkGroup();
    void createTextGroup();
    QLabel* createLinkLabel(const char* name, const QString& caption, int top);
    void showTopic(const QStringList& lines);
    void handleLinkEvent(QLabel* label, QEvent* event);

    QAction* Zavt1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
};

} // namespace ravo
