#pragma once
// Answers the modal dialogs a file operation opens, in order, and records
// what each one said. A step names the dialog class expected next and the
// button to press. Dialogs that close themselves (the export progress) are
// only watched. A dialog beyond the script is recorded as unexpected and
// rejected, and the script gives up after a bounded time, so a test fails
// instead of hanging.

#include <QDialog>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QElapsedTimer>
#include <functional>

class ModalScript : public QObject {
    Q_OBJECT
public:
    struct Step {
        QByteArray className;
        QByteArray button;
    };

    explicit ModalScript(QList<Step> steps, int timeoutMs = 30000);
    ~ModalScript() override;

    // "Class: text" for every dialog seen (message or question text, the
    // first line of the operation chooser), "UNEXPECTED ..." for extras.
    QStringList seen;
    // Steps not yet used.
    QList<Step> remaining() const { return m_steps; }
    bool done() const { return m_steps.isEmpty(); }

    // Called when a watched self-closing dialog appears (e.g. to hook its bar).
    std::function<void(QDialog *)> onWatched;

private slots:
    void tick();

private:
    bool handledAlready(QWidget *w) const;
    static QString textOf(QWidget *w);

    QList<Step> m_steps;
    QList<QPointer<QWidget>> m_handled;
    QTimer m_timer;
    QElapsedTimer m_clock;
    int m_timeoutMs;
};

// The answers the file dialogs' tests give.
namespace Answer {
using Step = ModalScript::Step;
const Step openItem{"CDlgFileOpt", "BtnOpen"};
const Step exportItem{"CDlgFileOpt", "BtnExport"};
const Step deleteItem{"CDlgFileOpt", "BtnDel"};
const Step chooserReturn{"CDlgFileOpt", "BtnReturn"};
const Step okQuestion{"CDlgMsgQuestion", "BtnOK"};
const Step cancelQuestion{"CDlgMsgQuestion", "BtnCancel"};
const Step okMessage{"CDlgMsgBox", "BtnOK"};
}

// Runs action while answering the dialogs with steps; returns what they said,
// followed by "UNUSED STEPS" when fewer dialogs appeared than expected.
// watched, when given, is called for each self-closing dialog.
QStringList answering(const QList<ModalScript::Step> &steps, const std::function<void()> &action,
                      const std::function<void(QDialog *)> &watched = nullptr);

