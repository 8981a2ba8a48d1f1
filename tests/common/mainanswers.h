#pragma once
// Answers to the dialogs the main screen opens (keyboard, keypad, message,
// question, selection grid) and a look at what a hole file holds: shared by
// the tests that drive the real main dialog. Header only.

#include "buttontextfit.h"
#include "acqstate.h"
#include "dlgmain.h"
#include "holefile.h"
#include "modalanswer.h"
#include "testrecord.h"
#include "testsession.h"
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
        if (wholeButtonText(b) == text && b->isEnabled()) {
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


// Raises the probe by hand on the main screen (a manual mode, test named):
// the bottom sample first, then one "移点" press a step until the end of the
// hole, where the end-of-test dialog is answered with 保存. Fails the test
// when a step takes no sample or the screen does not come back idle.
inline void raiseByHandAndSave(CDlgMain *mainDialog, int maxSteps)
{
    const CTestSession *session = mainDialog->session();
    auto saved = answerNextModal("CDlgSaveMsg", [](QWidget *w) { clickChild(w, "BtnSave"); }, 60000);
    // The bottom sample first: a move before it would be a skipped step.
    QTRY_COMPARE_WITH_TIMEOUT(session->samples().size(), 1, 5000);
    QPushButton *move = button(mainDialog, "BtnMove");
    for (int step = 1; step <= maxSteps && !saved->answered; ++step) {
        const int before = session->samples().size();
        QTest::mouseClick(move, Qt::LeftButton);
        if (step == 1)
            QTRY_COMPARE_WITH_TIMEOUT(AcqState::code(session->state()), AcqState::Raising, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(session->samples().size() == before + 1 || saved->answered, 5000);
    }
    QTRY_VERIFY_WITH_TIMEOUT(saved->answered, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(uint(session->state()), 0xF0000004u, 20000);
}
