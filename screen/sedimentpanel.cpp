#include "sedimentpanel.h"

#include "curve.h"
#include "mainrules.h"
#include "testsession.h"

#include "ctrlinfo.h"
#include "verdict.h"

#include "prompts.h"

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
    connect(session, &CTestSession::judgementChanged, this, &CSedimentPanel::showValues);
}

void CSedimentPanel::showValues()
{
    m_range->setCurrentIndex(m_range->findText(QString::number(int32_t(m_session->record().curveRange)), Qt::MatchExactly));
    const bool judged = hasJudgement(m_session->record());
    // No item while nothing is judged: the combo shows its placeholder.
    m_result->setPlaceholderText(verdictText(AcceptanceVerdict::NotJudged));
    m_result->setCurrentIndex(judged ? int(m_session->record().holeQuality) : -1);
    m_magnify->setCurrentIndex(
        m_magnify->findText(QString::number(int32_t(m_session->record().curveMagnify)), Qt::MatchExactly));
    m_thickness->setText(judged ? QString::number(int32_t(m_session->record().sedimentThickness)) : QString());
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
    // The session judges and the panel follows its judgementChanged (the
    // verdict presets the hole quality).
    tellIfNotSaved(m_session->setSedimentThickness(wholeNumberText(dlg.m_fValue).toInt()));
}

void CSedimentPanel::chooseHoleQuality()
{
    // The items are the quality codes in order: 0 qualified, 1 unqualified.
    const int chosen = chooseFrom(mainText("成孔质量"), holeQualityItems());
    if (chosen < 0)
        return;
    int32_t reason = OverrideReason::None;
    if (wouldOverride(m_session->record(), chosen)) {
        // Going against the verdict: confirmed, and a reason from the list.
        const QString question = mainText("判定结果为%1。确定改判为%2吗？")
                                     .arg(verdictText(m_session->record().acceptance.verdict),
                                          mainText(holeQualityItems().at(chosen).toUtf8().constData()));
        if (!Prompts::askCancelFirst(question, window()))
            return;
        QStringList reasons;
        for (int32_t r = OverrideReason::RetestPassed; r <= OverrideReason::Last; ++r)
            reasons << OverrideReason::text(r);
        const int picked = chooseFromTexts(mainText("改判理由"), reasons);
        if (picked < 0)
            return;
        reason = OverrideReason::RetestPassed + picked;
    }
    tellIfNotSaved(m_session->setHoleQuality(chosen, reason));
}

void CSedimentPanel::tellIfNotSaved(int judgeResult)
{
    if (judgeResult == CTestSession::SaveFailed)
        Prompts::showMessage(mainText("文件保存失败！"), window());
}

int CSedimentPanel::chooseFrom(const QString &title, const QStringList &items)
{
    QStringList texts;
    for (const QString &item : items)
        texts << mainText(item.toUtf8().constData());
    return chooseFromTexts(title, texts);
}

int CSedimentPanel::chooseFromTexts(const QString &title, const QStringList &items)
{
    window()->setFocus(Qt::OtherFocusReason);
    CDlgSelKey dlg(window());
    dlg.m_strTitle = title;
    for (int i = 0; i < items.size() && i < 15; ++i)
        dlg.m_strItem[i] = items.at(i);
    dlg.UpdateButtons();
    if (dlg.exec() != QDialog::Accepted || dlg.m_nSelected < 0 || dlg.m_nSelected >= items.size())
        return -1;
    return dlg.m_nSelected;
}

void CSedimentPanel::chooseCurveRange()
{
    const QStringList choices = curveRangeChoices();
    const int chosen = chooseFrom(mainText("量程") + defaultRangeUnitText(), choices);
    if (chosen < 0)
        return;
    // The choices are the range values themselves (the catalogue keeps them).
    const QString value = choices.at(chosen);
    m_range->setCurrentIndex(m_range->findText(value, Qt::MatchExactly));
    m_session->setCurveRange(value.toInt());
    emit curveChanged();
}

void CSedimentPanel::chooseCurveMagnify()
{
    const QStringList choices = curveMagnifyItems();
    const int chosen = chooseFrom(mainText("图形放大(%)"), choices);
    if (chosen < 0)
        return;
    const QString value = choices.at(chosen);
    m_magnify->setCurrentIndex(m_magnify->findText(value, Qt::MatchExactly));
    m_session->setCurveMagnify(value.toInt());
    emit curveChanged();
}
