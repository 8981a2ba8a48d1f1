#pragma once
// Scripted answers to the modal dialogs a test action opens, nested ones
// included. Each expected dialog (by class) gets its action, in order; a
// modal dialog that appears when no answer is left is recorded as unexpected
// and rejected, so a test never hangs on it. Polling is bounded in time and
// count; whatever is still modal when the budget runs out is rejected.
//
//     ModalScript s;
//     s.expect("CDlgNumKey", typeNumber("30"));
//     s.expect("CDlgMsgQuestion", [&](QWidget *w) { asked = text(w); click(w, "BtnOK"); });
//     s.start();
//     touch(dlg, "editPileLen");        // returns when all dialogs are closed
//     QVERIFY2(s.finish(), s.report());

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

class ModalScript : public QObject {
public:
    using Action = std::function<void(QWidget *)>;

    ModalScript &expect(const char *className, Action action)
    {
        m_steps.append({QByteArray(className), std::move(action)});
        return *this;
    }

    void start(int budgetMs = 15000)
    {
        m_budgetMs = budgetMs;
        m_clock.start();
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this]() { poll(); });
        m_timer.start();
    }

    ~ModalScript() override { m_timer.stop(); }

    // Stops watching; true when all expected dialogs were answered and
    // nothing else appeared.
    bool finish()
    {
        m_timer.stop();
        return m_steps.isEmpty() && m_unexpected.isEmpty() && !m_outOfBudget;
    }
    QStringList unexpected() const { return m_unexpected; }
    QByteArray report() const
    {
        QStringList lines;
        for (const Step &s : m_steps)
            lines << QStringLiteral("unanswered: ") + QString::fromLatin1(s.className);
        for (const QString &u : m_unexpected)
            lines << QStringLiteral("unexpected: ") + u;
        if (m_outOfBudget)
            lines << QStringLiteral("ran out of time");
        return lines.join(QLatin1Char('\n')).toUtf8();
    }

    // The message text of a message box or question.
    static QString messageOf(QWidget *w)
    {
        for (const char *name : {"labelMsg", "LBShow"}) {
            if (auto *l = w->findChild<QLabel *>(QString::fromLatin1(name)))
                return l->text();
        }
        return QString();
    }

    static void click(QWidget *w, const char *objectName)
    {
        auto *b = w->findChild<QAbstractButton *>(QString::fromLatin1(objectName));
        QVERIFY2(b, objectName);
        QVERIFY2(b->isEnabled(), objectName);
        b->click();
    }

private:
    struct Step {
        QByteArray className;
        Action action;
    };

    void poll()
    {
        if (++m_ticks > 20000 || m_clock.elapsed() > m_budgetMs) {
            m_outOfBudget = !m_steps.isEmpty() || QApplication::activeModalWidget();
            m_timer.stop();
            rejectAll();
            return;
        }
        QWidget *w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || w == m_last.data())
            return;
        m_last = w;
        if (m_steps.isEmpty() || !w->inherits(m_steps.first().className.constData())) {
            m_unexpected << QString::fromLatin1(w->metaObject()->className()) + QStringLiteral(": ")
                                + messageOf(w);
            if (auto *d = qobject_cast<QDialog *>(w))
                d->reject();
            else
                w->close();
            return;
        }
        Step step = m_steps.takeFirst();
        step.action(w);
    }

    void rejectAll()
    {
        for (int i = 0; i < 20; ++i) {
            auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!d)
                return;
            d->reject();
        }
    }

    QList<Step> m_steps;
    QStringList m_unexpected;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QPointer<QWidget> m_last;
    int m_budgetMs = 15000;
    int m_ticks = 0;
    bool m_outOfBudget = false;
};
