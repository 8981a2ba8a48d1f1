#include "cdlgnumkey.h"

#include "cdlgmsgbox.h"
#include "dialogframe.h"
#include "ui_cdlgnumkey.h"

#include <QtMath>

namespace {
constexpr int kMaxChars = 8;
}

QString normaliseNumberText(QString text)
{
    if (text.startsWith(QLatin1Char('.')))
        text.insert(0, QLatin1Char('0'));
    if (text.startsWith(QLatin1Char('-')) && text.indexOf(QLatin1Char('.')) == 1)
        text.insert(1, QLatin1Char('0'));
    return text;
}

CDlgNumKey::CDlgNumKey(const QString &name, const QString &initialText, float fMin, float fMax, QWidget *parent)
    : QDialog(parent), ui(new Ui::CDlgNumKey)
{
    DialogFrame::prepare(this);
    ui->setupUi(this);
    DialogFrame::coverScreen(this);

    m_bDotEnabled = true;
    m_bSignEnabled = false;
    m_strName = name;
    setWindowTitle(name);
    ui->DlgTitleBarTitle->setText(name);
    m_fMin = fMin;
    m_fMax = fMax;

    ui->label->setText(DialogFrame::pick(tr("输入%1的值为："), "The %1 input value is：").arg(name));

    ui->EditValue->setMaxLength(kMaxChars);
    ui->EditValue->setText(initialText);
    ui->EditValue->selectAll();
    ui->EditValue->setFocus();
    m_strValue = ui->EditValue->text();
    m_bFirstKey = true;

    SetDotSignEnabled(m_bDotEnabled, m_bSignEnabled);
    if (DialogFrame::isEnglish()) {
        ui->BtnClear->setText(QStringLiteral("Clear"));
        ui->BtnBack->setText(QStringLiteral("Back"));
        ui->BtnNumKeyCancel->setText(QStringLiteral("Cancel"));
        ui->BtnNumKeyOK->setText(QStringLiteral("OK"));
    }
}

CDlgNumKey::~CDlgNumKey() { delete ui; }

void CDlgNumKey::SetDotSignEnabled(bool bDot, bool bSign)
{
    m_bDotEnabled = bDot;
    m_bSignEnabled = bSign;
    ui->BtnDot->setEnabled(bDot);
    ui->BtnSign->setEnabled(bSign);
}

void CDlgNumKey::writeBack()
{
    ui->EditValue->setText(m_strValue);
    m_bFirstKey = false;
}

void CDlgNumKey::typeDigit(char digit)
{
    if (m_bFirstKey) {
        ui->EditValue->setText(QString());
        m_bFirstKey = false;
    }
    // The line edit replaces a selection and keeps to its maximum length.
    ui->EditValue->insert(QString(QLatin1Char(digit)));
    m_strValue = ui->EditValue->text();
}

void CDlgNumKey::on_BtnBack_clicked()
{
    m_strValue = ui->EditValue->text().trimmed();
    m_strValue.chop(1);
    writeBack();
}

void CDlgNumKey::on_BtnClear_clicked()
{
    m_strValue.clear();
    writeBack();
}

void CDlgNumKey::on_BtnSign_clicked()
{
    if (m_bFirstKey) {
        ui->EditValue->setText(QString());
        m_bFirstKey = false;
    }
    m_strValue = ui->EditValue->text().trimmed();
    const int minus = m_strValue.indexOf(QLatin1Char('-'));
    if (minus < 0) {
        // A full edit takes no minus: prefixing would push the last digit out.
        if (m_strValue.size() < kMaxChars)
            m_strValue.insert(0, QLatin1Char('-'));
    } else {
        m_strValue.remove(minus, 1);
    }
    writeBack();
}

void CDlgNumKey::on_BtnDot_clicked()
{
    m_strValue = ui->EditValue->text().trimmed();
    if (!m_strValue.contains(QLatin1Char('.')) && m_strValue.size() < kMaxChars)
        m_strValue.append(QLatin1Char('.'));
    writeBack();
}

QString CDlgNumKey::checkValue(const QString &text)
{
    m_strValue = text.trimmed();
    if (m_strValue.isEmpty())
        return DialogFrame::pick(tr("输入为空，请重新输入！"), "The input is empty,please input again!");

    m_strValue = normaliseNumberText(m_strValue);
    bool ok = false;
    m_fValue = m_strValue.toFloat(&ok);
    // Text that is no number counts as 0; so does "nan", which would slip
    // through every range comparison.
    if (!ok || qIsNaN(m_fValue))
        m_fValue = 0;

    if (m_fMin != m_fMax && (m_fValue < m_fMin || m_fValue > m_fMax)) {
        return DialogFrame::pick(tr("%1的数值范围有误，请输入%2到%3之间的数!"), "The %1 value is invalid，please input %2-%3!")
            .arg(m_strName, QString::number(double(m_fMin)), QString::number(double(m_fMax)));
    }
    const float lowest = m_bSignEnabled ? kMinValue : 0.0f;
    if (m_fValue > kMaxValue || m_fValue < lowest)
        return DialogFrame::pick(tr("输入的数值范围有误，请重新输入！"), "Input value range is wrong,please input again!");
    return QString();
}

void CDlgNumKey::on_BtnNumKeyOK_clicked()
{
    const QString refusal = checkValue(ui->EditValue->text());
    if (!refusal.isEmpty()) {
        CDlgMsgBox box(refusal, false, this);
        box.exec();
        return;
    }
    accept();
}

void CDlgNumKey::on_BtnNumKeyCancel_clicked() { reject(); }

void CDlgNumKey::on_Btn9_clicked() { typeDigit('9'); }
void CDlgNumKey::on_Btn8_clicked() { typeDigit('8'); }
void CDlgNumKey::on_Btn7_clicked() { typeDigit('7'); }
void CDlgNumKey::on_Btn6_clicked() { typeDigit('6'); }
void CDlgNumKey::on_Btn5_clicked() { typeDigit('5'); }
void CDlgNumKey::on_Btn4_clicked() { typeDigit('4'); }
void CDlgNumKey::on_Btn3_clicked() { typeDigit('3'); }
void CDlgNumKey::on_Btn2_clicked() { typeDigit('2'); }
void CDlgNumKey::on_Btn1_clicked() { typeDigit('1'); }
void CDlgNumKey::on_Btn0_clicked() { typeDigit('0'); }
