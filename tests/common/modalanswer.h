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

#include "modalanswerer.h"

#include <QAbstractButton>
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
    QPointer<ModalAnswerer> answerer;
    void cancel()
    {
        if (answerer)
            answerer->deleteLater();
    }
};

// Calls answer(dialog) once a modal widget inheriting className (any modal
// widget when className is null or empty) other than the one active now is
// shown; other dialogs are left to other answers. Gives up after timeoutMs
// and then rejects whatever is modal, so a test fails instead of hanging.
// Check ->answered after exec() returned.
inline std::shared_ptr<ModalAnswer> answerNextModal(const char *className, std::function<void(QWidget *)> answer,
                                                    int timeoutMs = 5000)
{
    auto state = std::make_shared<ModalAnswer>();
    auto *answerer = new ModalAnswerer;
    state->answerer = answerer;
    answerer->ignore(QApplication::activeModalWidget());
    answerer->leaveOthers();
    const QByteArray wanted(className ? className : "");
    answerer->expect(wanted.constData(), [state, answer, answerer](QWidget *w) {
        state->answered = true;
        answerer->deleteLater();
        answer(w);
    });
    QObject::connect(answerer, &ModalAnswerer::budgetSpent, answerer, [answerer, wanted] {
        qWarning("answerNextModal: no modal %s appeared", wanted.constData());
        answerer->deleteLater();
    });
    answerer->start(timeoutMs, 1);
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

// Presses a dialog's button; the test fails when it is missing or disabled.
inline void pressButton(QWidget *w, const char *objectName)
{
    auto *b = w->findChild<QAbstractButton *>(QString::fromLatin1(objectName));
    QVERIFY2(b, objectName);
    QVERIFY2(b->isEnabled(), objectName);
    b->click();
}

// Text of the named child label (message of a message box).
template <typename T>
inline QString childText(QWidget *parent, const char *objectName)
{
    auto *c = parent->findChild<T *>(QString::fromLatin1(objectName));
    return c ? c->text() : QString();
}
