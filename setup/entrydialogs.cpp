#include "entrydialogs.h"

#include "cdlgmsgbox.h"
#include "cdlgmsgquestion.h"
#include "cdlgnumkey.h"
#include "cdlgselkey.h"
#include "keyboard.h"

namespace EntryDialogs {

bool number(const QString &title, const QString &text, bool dot, bool sign, float *value)
{
    CDlgNumKey dlg(title, text, 0, 0, nullptr);
    dlg.SetDotSignEnabled(dot, sign);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    *value = dlg.m_fValue;
    return true;
}

bool text(const QString &initial, QString *result)
{
    keyboard dlg(initial, QString(), nullptr);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    *result = dlg.GetText();
    return true;
}

bool choose(const QString &title, const QStringList &items, int *chosen)
{
    CDlgSelKey dlg(nullptr);
    dlg.m_strTitle = title;
    for (int i = 0; i < items.size() && i < CDlgSelKey::kItemCount - 1; ++i)
        dlg.m_strItem[i] = items.at(i);
    dlg.UpdateButtons();
    if (dlg.exec() != QDialog::Accepted || dlg.m_nSelected < 0 || dlg.m_nSelected >= items.size())
        return false;
    *chosen = dlg.m_nSelected;
    return true;
}

void message(const QString &text)
{
    CDlgMsgBox box(text, false, nullptr);
    box.exec();
}

bool ask(const QString &text)
{
    CDlgMsgQuestion question(text, false, nullptr);
    return question.exec() == QDialog::Accepted;
}

} // namespace EntryDialogs
