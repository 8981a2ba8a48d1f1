#pragma once
// Answers to the dialogs the main screen opens (keyboard, keypad, message,
// question, selection grid) and a look at what a hole file holds: shared by
// the tests that drive the real main dialog. Header only.

#include "holefile.h"
#include "modalanswer.h"
#include "testrecord.h"
#include "testsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

inline QPushButton *button(QWidget *dlg, const char *name) { return dlg->findChild<QPushButton *>(QString::fromLatin1(name)); }

template <typename T>
inline T *child(QWidget *dlg, const char *name)
{
    return dlg->findChild<T *>(QString::fromLatin1(name));
}

// Clicks the push button showing the text (selection grid).
inline bool clickButtonWithText(QWidget *w, const QString &text)
{
    for (QPushButton *b : w->findChildren<QPushButton *>()) {
        if (b->text() == text && b->isEnabled()) {
            QTest::mouseClick(b, Qt::LeftButton);
            return true;
        }
    }
    return false;
}

// Types a name on the pinyin keyboard and confirms it.
inline std::shared_ptr<ModalAnswer> answerKeyboard(const QString &name, QString *initialSeen = nullptr)
{
    return answerNextModal("keyboard", [name, initialSeen](QWidget *w) {
        auto *edit = w->findChild<QLineEdit *>(QStringLiteral("valueEdit"));
        if (initialSeen)
            *initialSeen = edit->text();
        edit->setText(name);
        clickChild(w, "BtnOK");
    });
}

inline std::shared_ptr<ModalAnswer> answerMessage(QString *text, int timeoutMs = 5000)
{
    return answerNextModal("CDlgMsgBox", [text](QWidget *w) {
        if (text)
            *text = childText<QLabel>(w, "labelMsg");
        clickChild(w, "BtnOK");
    }, timeoutMs);
}

inline std::shared_ptr<ModalAnswer> answerQuestion(bool accept, QString *text = nullptr)
{
    return answerNextModal("CDlgMsgQuestion", [accept, text](QWidget *w) {
        if (text)
            *text = childText<QLabel>(w, "LBShow");
        clickChild(w, accept ? "BtnOK" : "BtnCancel");
    });
}

inline std::shared_ptr<ModalAnswer> answerNumber(const QString &value, QString *initialSeen = nullptr)
{
    return answerNextModal("CDlgNumKey", [value, initialSeen](QWidget *w) {
        auto *edit = w->findChild<QLineEdit *>(QStringLiteral("EditValue"));
        if (initialSeen)
            *initialSeen = edit->text();
        edit->setText(value);
        clickChild(w, "BtnNumKeyOK");
    });
}

inline QVector<Sample> fileSamples(const QString &path, CtrlInfo *info)
{
    const HoleLoadResult r = readHoleFile(path, *info);
    return r.ok ? r.samples : QVector<Sample>();
}

