#include "modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QWidget>

namespace {
// Rejections after the budget or an abandon: enough to unwind any nesting.
constexpr int kMaxAbandonedTicks = 2000;
}

ModalAnswerer::ModalAnswerer(QObject *parent) : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
}

ModalAnswerer::~ModalAnswerer() { m_timer.stop(); }

bool ModalAnswerer::Rule::fits(QWidget *w) const
{
    return className.isEmpty() || w->inherits(className.constData());
}

ModalAnswerer &ModalAnswerer::expect(const char *className, Action action)
{
    m_steps.append({QByteArray(className), std::move(action)});
    return *this;
}

ModalAnswerer &ModalAnswerer::answerAlways(const char *className, Action action)
{
    m_standing.append({QByteArray(className), std::move(action)});
    return *this;
}

ModalAnswerer &ModalAnswerer::watch(const char *className, Action action)
{
    m_standing.append({QByteArray(className), std::move(action), true});
    return *this;
}

void ModalAnswerer::start(int budgetMs, int intervalMs)
{
    m_budgetMs = budgetMs;
    m_maxTicks = qMax(20000, 2 * budgetMs / qMax(1, intervalMs));
    m_clock.start();
    m_timer.setInterval(intervalMs);
    m_timer.start();
}

bool ModalAnswerer::finish()
{
    m_timer.stop();
    return m_steps.isEmpty() && m_unexpected.isEmpty() && !m_outOfBudget;
}

void ModalAnswerer::prefixLastSeen(const QString &prefix)
{
    if (!m_seen.isEmpty())
        m_seen.last().prepend(prefix);
}

QByteArray ModalAnswerer::report() const
{
    QStringList lines;
    for (const Rule &s : m_steps)
        lines << QStringLiteral("unanswered: ") + QString::fromLatin1(s.className);
    for (const QString &u : m_unexpected)
        lines << QStringLiteral("unexpected: ") + u;
    if (m_outOfBudget)
        lines << QStringLiteral("ran out of time");
    return lines.join(QLatin1Char('\n')).toUtf8();
}

QString ModalAnswerer::messageOf(QWidget *w)
{
    for (const char *name : {"labelMsg", "LBShow"}) {
        if (auto *l = w->findChild<QLabel *>(QString::fromLatin1(name)))
            return l->text();
    }
    return QString();
}

QString ModalAnswerer::visibleTexts(QWidget *w)
{
    QStringList texts;
    for (QLabel *label : w->findChildren<QLabel *>()) {
        if (label->isVisible() && !label->text().trimmed().isEmpty())
            texts << label->text().trimmed();
    }
    return texts.join(QStringLiteral(" / "));
}

void ModalAnswerer::reject(QWidget *w)
{
    if (auto *d = qobject_cast<QDialog *>(w))
        d->done(QDialog::Rejected);
    else
        w->close();
}

QString ModalAnswerer::describe(QWidget *w) const
{
    return QString::fromLatin1(w->metaObject()->className()) + QStringLiteral(": ")
           + (m_describe ? m_describe(w) : messageOf(w));
}

bool ModalAnswerer::seenAlready(QWidget *w)
{
    // A closed dialog shown again is a new question.
    for (int i = m_handled.size() - 1; i >= 0; --i) {
        if (!m_handled.at(i) || !m_handled.at(i)->isVisible())
            m_handled.removeAt(i);
    }
    if (m_handled.contains(QPointer<QWidget>(w)))
        return true;
    m_handled << QPointer<QWidget>(w);
    return false;
}

void ModalAnswerer::answerLater(const Action &action, QWidget *w)
{
    QPointer<QWidget> target(w);
    QTimer::singleShot(0, this, [this, action, target] {
        if (target && !m_abandoned && action)
            action(target);
    });
}

void ModalAnswerer::poll()
{
    if (!m_abandoned && (++m_ticks > m_maxTicks || m_clock.elapsed() > m_budgetMs)) {
        m_outOfBudget = !m_steps.isEmpty() || QApplication::activeModalWidget();
        m_abandoned = true;
        emit budgetSpent();
    }
    QWidget *w = QApplication::activeModalWidget();
    if (m_abandoned) {
        if (++m_abandonedTicks > kMaxAbandonedTicks)
            m_timer.stop();
        else if (w && w != m_ignored.data())
            reject(w);
        return;
    }
    if (!w || !w->isVisible() || w == m_ignored.data() || seenAlready(w))
        return;
    if (!m_steps.isEmpty() && m_steps.first().fits(w)) {
        m_seen << describe(w);
        answerLater(m_steps.takeFirst().action, w);
        return;
    }
    for (const Rule &rule : qAsConst(m_standing)) {
        if (rule.fits(w)) {
            if (!rule.watchOnly)
                answerLater(rule.action, w);
            else if (rule.action)
                rule.action(w);
            return;
        }
    }
    if (m_leaveOthers)
        return;
    const QString description = describe(w);
    m_seen << QStringLiteral("UNEXPECTED ") + description;
    m_unexpected << description;
    QPointer<QWidget> target(w);
    emit unexpectedDialog(w, description);
    if (target)
        reject(target);
}
