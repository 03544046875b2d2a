// Answering modal boxes in window tests: a box waits for its answer inside its
// own event loop, so a test answers it from a timer, as a user would, and a
// box nobody expected cannot block the test for ever.
#pragma once

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

namespace ravo::testing {

// Hands each modal window of type Box that comes up to `answer`, polling the
// application's active modal widget; with Repeat::Once only the first one.
template <typename Box = QWidget>
class ModalWatch {
public:
    enum class Repeat { Once, Always };

    explicit ModalWatch(std::function<void(Box&)> answer, Repeat repeat = Repeat::Always, int intervalMs = 10)
        : answer_(std::move(answer)), repeat_(repeat)
    {
        poll_.setInterval(intervalMs);
        QObject::connect(&poll_, &QTimer::timeout, [this] { poll(); });
    }
    void Start() { poll_.start(); }
    void Stop() { poll_.stop(); }

private:
    void poll()
    {
        Box* box = qobject_cast<Box*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        if (repeat_ == Repeat::Once)
            poll_.stop();
        answer_(*box);
    }

    std::function<void(Box&)> answer_;
    Repeat repeat_;
    QTimer poll_;
};

// Answers the next box with the named button (closes it when it has none)
// and notes the text of the program's message form.
class BoxAnswerer {
public:
    BoxAnswerer() = default;
    void Expect(const char* button)
    {
        button_ = QString::fromLatin1(button);
        watch_.Start();
    }
    int shown = 0;
    QString text;

private:
    void answer(QWidget& box)
    {
        ++shown;
        if (auto* message = box.findChild<QLabel*>(QStringLiteral("Message")))
            text = message->text();
        if (auto* button = box.findChild<QPushButton*>(button_))
            button->click();
        else
            box.close();
    }

    QString button_;
    ModalWatch<QWidget> watch_{[this](QWidget& box) { answer(box); }, ModalWatch<QWidget>::Repeat::Once};
};

} // namespace ravo::testing
