#pragma once
// Drives modal dialogs from tests: arm an answer before calling exec() (or
// before the action that opens the dialog); a zero-delay timer polls, for a
// bounded time, for the next active modal widget of the wanted class and hands
// it to the answer, which usually clicks one of its buttons.
//
//     answerNextModal("CDlgMsgBox", [](QWidget *w) { clickChild(w, "BtnOK"); });
//     dlg.exec();
//
// Answers may arm further answers for dialogs the answered dialog opens.

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

// State of one armed answer: answered tells whether it ran; cancel() disarms
// it (for a dialog that may or may not appear).
struct ModalAnswer {
    bool answered = false;
    bool cancelled = false;
    void cancel() { cancelled = true; }
};

// Calls answer(dialog) once a modal widget inheriting className (any modal
// widget when className is null or empty) other than the one active now is
// shown. Gives up after timeoutMs and then closes whatever is modal, so a
// test fails instead of hanging. Check ->answered after exec() returned.
inline std::shared_ptr<ModalAnswer> answerNextModal(const char *className, std::function<void(QWidget *)> answer,
                                                    int timeoutMs = 5000)
{
    auto state = std::make_shared<ModalAnswer>();
    QPointer<QWidget> before = QApplication::activeModalWidget();
    auto *timer = new QTimer;
    timer->setInterval(0);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    const QByteArray wantedClass(className ? className : "");
    QObject::connect(timer, &QTimer::timeout, timer, [=]() {
        if (state->cancelled) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        QWidget *w = QApplication::activeModalWidget();
        const bool wanted = w && w != before.data() && w->isVisible()
                            && (wantedClass.isEmpty() || w->inherits(wantedClass.constData()));
        if (wanted) {
            timer->stop();
            timer->deleteLater();
            state->answered = true;
            answer(w);
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            qWarning("answerNextModal: no modal %s appeared", wantedClass.constData());
            if (QWidget *stray = QApplication::activeModalWidget())
                stray->close();
        }
    });
    timer->start();
    return state;
}

// Clicks the push button with the given object name inside a widget.
inline bool clickChild(QWidget *parent, const char *objectName)
{
    auto *b = parent->findChild<QAbstractButton *>(QString::fromLatin1(objectName));
    if (!b || !b->isEnabled() || !b->isVisible())
        return false;
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
}

// Text of the named child label (message of a message box).
template <typename T>
inline QString childText(QWidget *parent, const char *objectName)
{
    auto *c = parent->findChild<T *>(QString::fromLatin1(objectName));
    return c ? c->text() : QString();
}
