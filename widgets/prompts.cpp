#include "prompts.h"

#include "cdlgmsgbox.h"
#include "cdlgmsgquestion.h"

namespace Prompts {

void showMessage(const QString &text, QWidget *parent)
{
    CDlgMsgBox box(text, false, parent);
    box.exec();
}

bool ask(const QString &text, bool compact, QWidget *parent)
{
    CDlgMsgQuestion q(text, compact, parent);
    return q.exec() == QDialog::Accepted;
}

bool askCancelFirst(const QString &text, QWidget *parent)
{
    CDlgMsgQuestion q(text, false, parent);
    q.makeCancelDefault();
    return q.exec() == QDialog::Accepted;
}

} // namespace Prompts
