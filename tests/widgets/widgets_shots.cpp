// Renders the folder's dialogs to PNG files for a visual check:
//     widgets_shots OUTPUT_DIR
#include "cdlgmsgbox.h"
#include "cdlgmsgquestion.h"
#include "cdlgnumkey.h"
#include "cdlgselkey.h"
#include "frmmessagebox.h"
#include "keyboard.h"
#include "sysconfig.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QPixmap>
#include <QPushButton>

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

            CDlgSelKey sel;
            sel.m_strTitle = QStringLiteral("采样方式");
            const char *items[] = {"自动提升", "手动提升", "手动(4s/m)", "手动(6s/m)", "手动(8s/m)", "无线自动提升"};
            for (int i = 0; i < 6; ++i)
                sel.m_strItem[i] = QString::fromUtf8(items[i]);
            sel.m_bItemEnabled[5] = false;
            sel.UpdateButtons();
            shot(&sel, dir, QStringLiteral("selkey") + t);

            CDlgNumKey num(QStringLiteral("孔深"), QStringLiteral("35.50"), 0, 0);
            num.SetDotSignEnabled(true, false);
            shot(&num, dir, QStringLiteral("numkey") + t);

            keyboard kb(QStringLiteral("某某大桥"), QStringLiteral("工程名称"));
            shot(&kb, dir, QStringLiteral("keyboard-en") + t);
            kb.keyPressed(Qt::Key_Control);
            for (char c : {'G', 'C'})
                kb.keyPressed(c);
            shot(&kb, dir, QStringLiteral("keyboard-pinyin") + t);
            kb.keyPressed(Qt::Key_Backspace);
            kb.keyPressed(Qt::Key_Backspace);
            for (char c : {'J', 'I'})
                kb.keyPressed(c);
            kb.barPressed(Qt::Key_Down);
            kb.keyPressed(Qt::Key_Shift);
            shot(&kb, dir, QStringLiteral("keyboard-ji-shift") + t);
        }
    }
    language = 1;
    style = 0;
    CDlgMsgBox e(QStringLiteral("The input is empty,please input again!"), true);
    shot(&e, dir, QStringLiteral("msgbox-english"));
    CDlgNumKey en(QStringLiteral("Depth"), QStringLiteral("1.5"), 0, 0);
    shot(&en, dir, QStringLiteral("numkey-english"));
    CDlgSelKey sen;
    sen.m_strTitle = QStringLiteral("Mode");
    sen.m_strItem[0] = QStringLiteral("Auto-Raise");
    sen.UpdateButtons();
    shot(&sen, dir, QStringLiteral("selkey-english"));
    return 0;
}
