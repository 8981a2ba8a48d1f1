#include "demoinput.h"

#include "cdlgexportfile.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace {
void press(QWidget *w)
{
    const QPointF centre(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent e(QEvent::MouseButtonPress, centre, w->mapToGlobal(centre.toPoint()), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

QAbstractButton *usableButton(QWidget *parent, const QString &name)
{
    auto *b = parent->findChild<QAbstractButton *>(name);
    return b && b->isVisible() && b->isEnabled() ? b : nullptr;
}
}

void DemoInput::touch(QWidget *field)
{
    if (qobject_cast<QLineEdit *>(field)) {
        QFocusEvent e(QEvent::FocusIn, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(field, &e);
        return;
    }
    press(field);
}

bool DemoInput::typeOnKeypad(QWidget *w, const QString &text, QString *why)
{
    for (const QChar c : text) {
        QString key;
        if (c.isDigit())
            key = QStringLiteral("Btn") + c;
        else if (c == QLatin1Char('.'))
            key = QStringLiteral("BtnDot");
        else if (c == QLatin1Char('-'))
            key = QStringLiteral("BtnSign");
        QAbstractButton *b = key.isEmpty() ? nullptr : usableButton(w, key);
        if (!b) {
            *why = QStringLiteral("the keypad has no key for \"%1\"").arg(c);
            return false;
        }
        b->click();
    }
    auto *edit = w->findChild<QLineEdit *>(QStringLiteral("EditValue"));
    if (!edit || edit->text() != text) {
        *why = QStringLiteral("the keypad shows \"%1\" instead of \"%2\"").arg(edit ? edit->text() : QString(), text);
        return false;
    }
    return true;
}

bool DemoInput::pressListedItem(CDlgExportFile *browser, const QStringList &names, QString *why)
{
    const int pages = qMax(1, browser->pageCount);
    for (int page = 0; page <= pages; ++page) {
        for (QPushButton *item : browser->itemButtons) {
            // A hole's button shows its name on the first line, then its
            // tests and verdict.
            if (item->isVisible() && item->isEnabled() && names.contains(item->text().section(QLatin1Char('\n'), 0, 0))) {
                press(item);
                return true;
            }
        }
        QAbstractButton *next = usableButton(browser, QStringLiteral("BtnNext"));
        if (!next)
            break;
        next->click();
    }
    *why = QStringLiteral("the file browser does not list \"%1\"").arg(names.value(0));
    return false;
}
