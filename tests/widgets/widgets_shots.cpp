// Renders the folder's dialogs to PNG files for a visual check:
//     widgets_shots OUTPUT_DIR
#include "cdlgmsgbox.h"
#include "cdlgmsgquestion.h"
#include "frmmessagebox.h"
#include "sysconfig.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QPixmap>

static void shot(QWidget *w, const QString &dir, const QString &name)
{
    w->show();
    QApplication::processEvents();
    w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
    w->hide();
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 12));
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);
    for (int theme = 0; theme < 2; ++theme) {
        style = theme;
        const QString t = theme ? QStringLiteral("-black") : QStringLiteral("-white");
        {
            CDlgMsgBox b(QStringLiteral("文件保存成功！"), false);
            shot(&b, dir, QStringLiteral("msgbox") + t);
            CDlgMsgBox c(QStringLiteral("确定要删除当前工程下的全部文件吗？删除后无法恢复。"), true);
            shot(&c, dir, QStringLiteral("msgbox-cancel") + t);
            CDlgMsgQuestion q(QStringLiteral("文件已存在，是否覆盖？"), false);
            shot(&q, dir, QStringLiteral("question") + t);
            CDlgMsgQuestion qc(QStringLiteral("U盘中已有该工程，是否覆盖？"), true);
            shot(&qc, dir, QStringLiteral("question-compact") + t);
            frmMessageBox *m = new frmMessageBox;
            m->SetMessage(QStringLiteral("请输入字符串长度：0-65535"), 0);
            shot(m, dir, QStringLiteral("frmmessagebox") + t);
            delete m;
        }
    }
    language = 1;
    style = 0;
    CDlgMsgBox e(QStringLiteral("The input is empty,please input again!"), true);
    shot(&e, dir, QStringLiteral("msgbox-english"));
    return 0;
}
