#pragma once
// Answers the modal dialogs that open while something runs unattended (the
// demonstration, the tests). A timer polls for the active modal widget; each
// newly shown one is matched against
//   - the ordered answers (expect): the next one must fit, in turn;
//   - the standing answers (answerAlways): any number of times, by class.
// A dialog no answer fits is "unexpected": it is logged with its text,
// announced and rejected, so an unattended run ends instead of hanging
// (unless leaveOthers() is set). Answers run from a zero timer of their own,
// so an answer may open further dialogs that this watch still sees.
// Once the budget is spent (or after abandon()) every modal dialog but the
// ignored one is rejected; polling is bounded in time and count.
//
//     ModalAnswerer a;
//     a.expect("CDlgNumKey", [](QWidget *w) { ... });
//     a.start();
//     field->setFocus();                  // returns when the keypad closed
//     QVERIFY2(a.finish(), a.report());

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

#include <QWidget>

class ModalAnswerer : public QObject {
    Q_OBJECT
public:
    using Action = std::function<void(QWidget *)>;

    explicit ModalAnswerer(QObject *parent = nullptr);
    ~ModalAnswerer() override;

    // className: the dialog's class or a base of it; empty matches any.
    ModalAnswerer &expect(const char *className, Action action);
    ModalAnswerer &answerAlways(const char *className, Action action);
    // A dialog that closes by itself (a progress display): action is called
    // at once when it shows and nothing answers it.
    ModalAnswerer &watch(const char *className, Action action);
    void clearStandingAnswers() { m_standing.clear(); }
    // A widget that is never answered nor rejected (the modal main dialog).
    void ignore(QWidget *w) { m_ignored = w; }
    // Unfitting dialogs are left alone instead of rejected.
    void leaveOthers() { m_leaveOthers = true; }
    // Describes a dialog in the log; the default is its message text.
    void setDescriber(std::function<QString(QWidget *)> describe) { m_describe = std::move(describe); }

    void start(int budgetMs = 15000, int intervalMs = 5);
    // Stops watching; true when every ordered answer was given and nothing
    // unexpected appeared within the budget.
    bool finish();
    // From now on every modal dialog but the ignored one is rejected.
    void abandon() { m_abandoned = true; }

    bool done() const { return m_steps.isEmpty(); }
    int remaining() const { return m_steps.size(); }
    bool outOfBudget() const { return m_outOfBudget; }
    QStringList unexpected() const { return m_unexpected; }
    // "Class: text" of every dialog an ordered answer or nothing fitted.
    QStringList seen() const { return m_seen; }
    void prefixLastSeen(const QString &prefix);
    QByteArray report() const;

    // The message text of a message box or question.
    static QString messageOf(QWidget *w);
    // The visible texts of a dialog, joined by " / ".
    static QString visibleTexts(QWidget *w);
    static void reject(QWidget *w);

signals:
    // A dialog no answer fits; it is rejected after the signal.
    void unexpectedDialog(QWidget *w, const QString &description);
    void budgetSpent();

private:
    struct Rule {
        QByteArray className;
        Action action;
        bool watchOnly = false;
        bool fits(QWidget *w) const;
    };

    void poll();
    void answerLater(const Action &action, QWidget *w);
    bool seenAlready(QWidget *w);
    QString describe(QWidget *w) const;

    QList<Rule> m_steps;
    QList<Rule> m_standing;
    QList<QPointer<QWidget>> m_handled;
    QPointer<QWidget> m_ignored;
    std::function<QString(QWidget *)> m_describe;
    QStringList m_unexpected;
    QStringList m_seen;
    QTimer m_timer;
    QElapsedTimer m_clock;
    int m_budgetMs = 15000;
    int m_ticks = 0;
    int m_maxTicks = 20000;
    int m_abandonedTicks = 0;
    bool m_abandoned = false;
    bool m_outOfBudget = false;
    bool m_leaveOthers = false;
};
