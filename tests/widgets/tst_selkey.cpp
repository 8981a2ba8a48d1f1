#include "cdlgselkey.h"
#include "modalanswer.h"
#include "sysconfig.h"
#include "testsupport.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {
QPushButton *btn(QWidget *dlg, int k) { return dlg->findChild<QPushButton *>(QStringLiteral("Btn%1").arg(k)); }

// Runs the dialog and presses button k.
int choose(CDlgSelKey &dlg, int k)
{
    const QByteArray name = "Btn" + QByteArray::number(k);
    auto a = answerNextModal("CDlgSelKey", [&](QWidget *w) {
        if (!clickChild(w, name.constData()))
            w->close(); // a disabled button: leave as cancelled
    });
    const int r = dlg.exec();
    return a->answered ? r : -1;
}
} // namespace

class TestSelKey : public QObject {
    Q_OBJECT
private slots:
    void init() { resetSysBaseConfig(); }
    void cleanup() { resetSysBaseConfig(); }

    void threeItems();
    void gridFilledByColumns();
    void choice_data();
    void choice();
    void disabledItemCannotBeChosen();
    void sixteenthItemAsChoice();
    void englishCancel();
};

void TestSelKey::threeItems()
{
    CDlgSelKey dlg;
    dlg.m_strTitle = QStringLiteral("采样方式");
    dlg.m_strItem[0] = QStringLiteral("自动提升");
    dlg.m_strItem[1] = QStringLiteral("手动提升");
    dlg.m_strItem[2] = QStringLiteral("手动(4s/m)");
    dlg.UpdateButtons();
    QCOMPARE(dlg.windowTitle(), QStringLiteral("采样方式"));
    QCOMPARE(childText<QLabel>(&dlg, "DlgTitleBarTitle"), QStringLiteral("采样方式"));
    for (int k = 1; k <= 3; ++k) {
        QVERIFY(btn(&dlg, k)->isEnabled());
        QCOMPARE(btn(&dlg, k)->text(), dlg.m_strItem[k - 1]);
    }
    for (int k = 4; k <= 15; ++k) {
        QVERIFY2(!btn(&dlg, k)->isEnabled(), qPrintable(QString::number(k)));
        QVERIFY(btn(&dlg, k)->text().isEmpty());
    }
    QVERIFY(btn(&dlg, 16)->isEnabled());
    QCOMPARE(btn(&dlg, 16)->text(), QStringLiteral("取消"));
    QCOMPARE(choose(dlg, 16), int(QDialog::Rejected));
    QVERIFY(dlg.m_strSelected.isEmpty());
}

void TestSelKey::gridFilledByColumns()
{
    CDlgSelKey dlg;
    dlg.UpdateButtons();
    dlg.show();
    for (int k = 1; k <= 16; ++k) {
        const int col = (k - 1) / 4, row = (k - 1) % 4;
        QPushButton *below = k % 4 ? btn(&dlg, k + 1) : nullptr;
        QPushButton *right = k <= 12 ? btn(&dlg, k + 4) : nullptr;
        if (below)
            QVERIFY2(below->y() > btn(&dlg, k)->y() && below->x() == btn(&dlg, k)->x(), qPrintable(QString::number(k)));
        if (right)
            QVERIFY2(right->x() > btn(&dlg, k)->x() && right->y() == btn(&dlg, k)->y(), qPrintable(QString::number(k)));
        Q_UNUSED(col);
        Q_UNUSED(row);
    }
}

void TestSelKey::choice_data()
{
    QTest::addColumn<int>("button");
    QTest::newRow("first") << 1;
    QTest::newRow("fifth (second column)") << 5;
    QTest::newRow("fifteenth") << 15;
}

void TestSelKey::choice()
{
    QFETCH(int, button);
    CDlgSelKey dlg;
    for (int i = 0; i < 15; ++i)
        dlg.m_strItem[i] = QStringLiteral("%1 mm").arg((i + 1) * 10);
    dlg.UpdateButtons();
    QCOMPARE(choose(dlg, button), int(QDialog::Accepted));
    QCOMPARE(dlg.m_strSelected, QStringLiteral("%1 mm").arg(button * 10));
}

void TestSelKey::disabledItemCannotBeChosen()
{
    CDlgSelKey dlg;
    dlg.m_strItem[0] = QStringLiteral("A");
    dlg.m_strItem[1] = QStringLiteral("B");
    dlg.m_bItemEnabled[1] = false;
    dlg.UpdateButtons();
    QCOMPARE(btn(&dlg, 2)->text(), QStringLiteral("B"));
    QVERIFY(!btn(&dlg, 2)->isEnabled());
    QCOMPARE(choose(dlg, 2), int(QDialog::Rejected));
    QVERIFY(dlg.m_strSelected.isEmpty());
}

void TestSelKey::sixteenthItemAsChoice()
{
    CDlgSelKey dlg;
    dlg.m_strItem[0] = QStringLiteral("10");
    dlg.m_strItem[15] = QStringLiteral("500");
    dlg.UpdateButtons();
    QCOMPARE(btn(&dlg, 16)->text(), QStringLiteral("500"));
    QCOMPARE(choose(dlg, 16), int(QDialog::Accepted));
    QCOMPARE(dlg.m_strSelected, QStringLiteral("500"));
}

void TestSelKey::englishCancel()
{
    language = 1;
    CDlgSelKey dlg;
    dlg.m_strItem[0] = QStringLiteral("Auto");
    dlg.UpdateButtons();
    QCOMPARE(btn(&dlg, 16)->text(), QStringLiteral("Cancel"));
    QCOMPARE(choose(dlg, 16), int(QDialog::Rejected));
    QVERIFY(dlg.m_strSelected.isEmpty());
}

QTEST_MAIN(TestSelKey)
#include "tst_selkey.moc"
