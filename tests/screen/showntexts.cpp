#include "showntexts.h"

#include "paintrecorder.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QRegularExpression>
#include <QVector>
#include <QWidget>
#include <algorithm>

namespace {

void addHeldTexts(QWidget *w, QStringList *out)
{
    if (!w->toolTip().isEmpty())
        *out << w->toolTip();
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        for (int i = 0; i < combo->count(); ++i)
            *out << combo->itemText(i);
    }
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        *out << button->text();
}

} // namespace

QStringList shownTexts(QWidget *widget)
{
    QStringList out;
    if (!widget)
        return out;
    out << widget->windowTitle();
    CRecordingDevice device(widget->size().expandedTo(QSize(1, 1)), 96);
    widget->render(&device);
    out << device.engine().lineTexts();
    addHeldTexts(widget, &out);
    for (QWidget *child : widget->findChildren<QWidget *>()) {
        if (child->isVisibleTo(widget))
            addHeldTexts(child, &out);
    }
    out.removeAll(QString());
    return out;
}

bool hasHan(const QString &text)
{
    static const QRegularExpression han(QStringLiteral("[\\x{3400}-\\x{4DBF}\\x{4E00}-\\x{9FFF}\\x{F900}-\\x{FAFF}]"));
    return han.match(text).hasMatch();
}

QStringList hanTextsExcept(const QStringList &texts, const QStringList &userData)
{
    // User data may be painted in pieces (a wrapped or narrow label paints
    // line by line, even character by character): look for it in the texts
    // run together, and blame a text only for Han characters outside it.
    const QString joined = texts.join(QString());
    QVector<bool> covered(joined.size(), false);
    for (const QString &data : userData) {
        for (int at = joined.indexOf(data); !data.isEmpty() && at >= 0; at = joined.indexOf(data, at + 1))
            std::fill(covered.begin() + at, covered.begin() + at + data.size(), true);
    }
    QStringList out;
    int start = 0;
    for (const QString &text : texts) {
        for (int i = 0; i < text.size(); ++i) {
            if (!covered[start + i] && hasHan(text.mid(i, 1))) {
                out << text;
                break;
            }
        }
        start += text.size();
    }
    return out;
}
