#include "modalscript.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QtTest>

ModalScript::ModalScript(QList<Step> steps, int timeoutMs) : m_steps(std::move(steps)), m_timeoutMs(timeoutMs)
{
    m_timer.setInterval(2);
    connect(&m_timer, &QTimer::timeout, this, &ModalScript::tick);
    m_clock.start();
    m_timer.start();
}

ModalScript::~ModalScript() { m_timer.stop(); }

bool ModalScript::handledAlready(QWidget *w) const
{
    for (const QPointer<QWidget> &p : m_handled)
        if (p.data() == w)
            return true;
    return false;
}

QString ModalScript::textOf(QWidget *w)
{
    for (const char *name : {"labelMsg", "LBShow"}) {
        if (auto *label = w->findChild<QLabel *>(QString::fromLatin1(name)))
            return label->text();
    }
    // A selection grid: its title and the choices it offers.
    auto *title = w->findChild<QLabel *>(QStringLiteral("DlgTitleBarTitle"));
    if (title && w->findChild<QAbstractButton *>(QStringLiteral("Btn16"))) {
        QStringList items{title->text()};
        for (int i = 1; i <= 15; ++i) {
            auto *b = w->findChild<QAbstractButton *>(QStringLiteral("Btn%1").arg(i));
            if (b && b->isEnabled())
                items << b->text();
        }
        return items.join(QStringLiteral(" | "));
    }
    QStringList lines;
    for (const char *name : {"lbFileName", "lbFileSize", "lbFileTime"}) {
        auto *label = w->findChild<QLabel *>(QString::fromLatin1(name));
        if (label && !label->isHidden())
            lines << label->text();
    }
    return lines.join(QStringLiteral(" | "));
}

void ModalScript::tick()
{
    if (m_clock.elapsed() > m_timeoutMs) {
        m_timer.stop();
        seen << QStringLiteral("TIMEOUT");
        if (QWidget *stray = QApplication::activeModalWidget())
            stray->close();
        return;
    }
    QWidget *w = QApplication::activeModalWidget();
    if (!w || !w->isVisible() || handledAlready(w))
        return;
    m_handled << QPointer<QWidget>(w);
    const QString cls = QString::fromLatin1(w->metaObject()->className());
    auto *dialog = qobject_cast<QDialog *>(w);
    if (cls == QLatin1String("CDlgProgress")) {
        if (onWatched && dialog)
            onWatched(dialog);
        return;
    }
    seen << cls + QStringLiteral(": ") + textOf(w);
    if (m_steps.isEmpty() || m_steps.first().className != w->metaObject()->className()) {
        seen.last().prepend(QStringLiteral("UNEXPECTED "));
        if (dialog)
            dialog->reject();
        else
            w->close();
        return;
    }
    const Step step = m_steps.takeFirst();
    auto *button = w->findChild<QAbstractButton *>(QString::fromLatin1(step.button));
    if (!button || !button->isVisible() || !button->isEnabled()) {
        seen.last().prepend(QStringLiteral("NO BUTTON ") + QString::fromLatin1(step.button) + QLatin1Char(' '));
        if (dialog)
            dialog->reject();
        return;
    }
    QTest::mouseClick(button, Qt::LeftButton);
}

QStringList answering(const QList<ModalScript::Step> &steps, const std::function<void()> &action,
                      const std::function<void(QDialog *)> &watched)
{
    ModalScript script(steps);
    script.onWatched = watched;
    action();
    QStringList seen = script.seen;
    if (!script.done())
        seen << QStringLiteral("UNUSED STEPS");
    return seen;
}
