#include "sedimentpanel.h"

#include "mainrules.h"
#include "testsession.h"

#include "ctrlinfo.h"

#include "cdlgnumkey.h"
#include "cdlgselkey.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>

namespace {
// The panel's texts belong to the main screen's catalogue context.
QString mainText(const char *source) { return QCoreApplication::translate("CDlgMain", source); }
}

CSedimentPanel::CSedimentPanel(QWidget *parent) : QGroupBox(parent) {}

void CSedimentPanel::setUp(CTestSession *session)
{
    m_session = session;
    m_range = findChild<QComboBox *>(QStringLiteral("CBRange"));
    m_magnify = findChild<QComboBox *>(QStringLiteral("CBMagnify"));
    m_result = findChild<QComboBox *>(QStringLiteral("CBResult"));
    m_thickness = findChild<QLineEdit *>(QStringLiteral("editPly"));
    m_rangeLabel = findChild<QLabel *>(QStringLiteral("label_Range"));
    const struct {
        QComboBox *combo;
        QStringList items;
    } lists[] = {{m_range, curveRangeItems()}, {m_result, holeQualityItems()}, {m_magnify, curveMagnifyItems()}};
    for (const auto &l : lists) {
        l.combo->clear();
        for (const QString &item : l.items)
            l.combo->addItem(mainText(item.toUtf8().constData()));
    }
    for (QWidget *w : {static_cast<QWidget *>(m_range), static_cast<QWidget *>(m_result),
                       static_cast<QWidget *>(m_magnify), static_cast<QWidget *>(m_thickness)})
        w->installEventFilter(this);
}

QString CSedimentPanel::unitText() const { return m_rangeLabel ? m_rangeLabel->text().right(5) : QString(); }

void CSedimentPanel::showValues()
{
    m_range->setCurrentIndex(m_range->findText(QString::number(int32_t(gCtrlInfo.curveRange)), Qt::MatchExactly));
    m_result->setCurrentIndex(gCtrlInfo.holeQuality);
    m_magnify->setCurrentIndex(
        m_magnify->findText(QString::number(int32_t(gCtrlInfo.curveMagnify)), Qt::MatchExactly));
    m_thickness->setText(QString::number(int32_t(gCtrlInfo.sedimentThickness)));
    emit judgementShown();
}

bool CSedimentPanel::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == m_thickness && type == QEvent::FocusIn) {
        enterSedimentThickness();
        return true;
    }
    const bool combo = watched == m_range || watched == m_result || watched == m_magnify;
    if (combo && type == QEvent::MouseButtonPress) {
        if (watched == m_result)
            chooseHoleQuality();
        else if (watched == m_range)
            chooseCurveRange();
        else if (m_magnify->isEnabled())
            chooseCurveMagnify();
        return true;
    }
    // The combos only display their value: no list, no wheel, no keys.
    if (combo && (type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick
                  || type == QEvent::Wheel || type == QEvent::KeyPress))
        return true;
    return QGroupBox::eventFilter(watched, event);
}

void CSedimentPanel::enterSedimentThickness()
{
    window()->setFocus(Qt::OtherFocusReason);
    CDlgNumKey dlg(mainText("沉渣厚度(cm)"), m_thickness->text(), 0, 0, nullptr);
    dlg.SetDotSignEnabled(false, false);
    if (dlg.exec() != QDialog::Accepted)
        return;
    const QString text = wholeNumberText(dlg.m_fValue);
    m_thickness->setText(text);
    m_session->setSedimentThickness(text.toInt());
    showValues(); // the verdict presets the hole quality
}

void CSedimentPanel::chooseHoleQuality()
{
    const QString chosen = chooseFrom(mainText("成孔质量"), holeQualityItems());
    if (chosen.isEmpty())
        return;
    m_result->setCurrentIndex(m_result->findText(chosen, Qt::MatchExactly));
    int32_t quality = gCtrlInfo.holeQuality;
    if (chosen == mainText("合格"))
        quality = 0;
    else if (chosen == mainText("不合格"))
        quality = 1;
    m_session->setHoleQuality(quality);
    showValues();
}

QString CSedimentPanel::chooseFrom(const QString &title, const QStringList &items)
{
    window()->setFocus(Qt::OtherFocusReason);
    CDlgSelKey dlg(window());
    dlg.m_strTitle = title;
    for (int i = 0; i < items.size() && i < 15; ++i)
        dlg.m_strItem[i] = mainText(items.at(i).toUtf8().constData());
    dlg.UpdateButtons();
    if (dlg.exec() != QDialog::Accepted)
        return QString();
    return dlg.m_strSelected;
}

void CSedimentPanel::chooseCurveRange()
{
    const QString chosen = chooseFrom(mainText("量程") + unitText(), curveRangeChoices());
    if (chosen.isEmpty())
        return;
    m_range->setCurrentIndex(m_range->findText(chosen, Qt::MatchExactly));
    m_session->setCurveRange(chosen.toInt());
    emit curveChanged();
}

void CSedimentPanel::chooseCurveMagnify()
{
    const QString chosen = chooseFrom(mainText("图形放大(%)"), curveMagnifyItems());
    if (chosen.isEmpty())
        return;
    m_magnify->setCurrentIndex(m_magnify->findText(chosen, Qt::MatchExactly));
    m_session->setCurveMagnify(chosen.toInt());
    emit curveChanged();
}
