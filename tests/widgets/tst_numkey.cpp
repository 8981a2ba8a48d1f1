#include "cdlgnumkey.h"
#include "modalanswer.h"
#include "sysconfig.h"
#include "testsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

namespace {
// Presses the keypad keys named by the characters of keys: digits, '.'
// point, '-' minus, '<' back, 'C' clear.
void press(QWidget *dlg, const QString &keys)
{
    for (QChar c : keys) {
        QByteArray name;
        if (c.isDigit())
            name = "Btn" + QByteArray(1, char(c.unicode()));
        else if (c == QLatin1Char('.'))
            name = "BtnDot";
        else if (c == QLatin1Char('-'))
            name = "BtnSign";
        else if (c == QLatin1Char('<'))
            name = "BtnBack";
        else if (c == QLatin1Char('C'))
            name = "BtnClear";
        auto *b = dlg->findChild<QPushButton *>(QString::fromLatin1(name));
        QVERIFY2(b, name.constData());
        QTest::mouseClick(b, Qt::LeftButton);
    }
}

QString editText(QWidget *dlg) { return dlg->findChild<QLineEdit *>(QStringLiteral("EditValue"))->text(); }

struct OkOutcome {
    int result = -1;
    QString message; // empty when no message box came up
    QString textAfter;
};

// Presses OK on a keypad run through exec(); a refusal's message box is
// answered with OK and the keypad then cancelled.
OkOutcome pressOk(CDlgNumKey &dlg)
{
    OkOutcome out;
    auto keypad = answerNextModal("CDlgNumKey", [&](QWidget *w) {
        auto box = answerNextModal("CDlgMsgBox", [&](QWidget *m) {
            out.message = childText<QLabel>(m, "labelMsg");
            clickChild(m, "BtnOK");
        });
        clickChild(w, "BtnNumKeyOK");
        box->cancel();
        if (w->isVisible()) {
            out.textAfter = editText(w);
            clickChild(w, "BtnNumKeyCancel");
        }
    });
    out.result = dlg.exec();
    if (!keypad->answered)
        out.result = -1;
    return out;
}
} // namespace

class TestNumKey : public QObject {
    Q_OBJECT
private slots:
    void init() { resetSysBaseConfig(); }
    void cleanup() { resetSysBaseConfig(); }

    void keys_data();
    void keys();
    void dotAndSignFlags();
    void okChecks_data();
    void okChecks();
    void refusedOkKeepsText();
    void normalise_data();
    void normalise();
    void constructorTexts();
    void englishTexts();
    void catalogueTexts();
};

void TestNumKey::keys_data()
{
    QTest::addColumn<QString>("initial");
    QTest::addColumn<bool>("sign");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");
    QTest::newRow("digit replaces initial") << "12.3" << false << "5" << "5";
    QTest::newRow("point keeps initial") << "12.3" << false << "." << "12.3";
    QTest::newRow("point appends") << "12" << false << "." << "12.";
    QTest::newRow("point then digit") << "12" << false << ".5" << "12.5";
    QTest::newRow("second point ignored") << "" << false << "1.2.3" << "1.23";
    QTest::newRow("minus on initial") << "7" << true << "-" << "-";
    QTest::newRow("minus toggles off") << "7" << true << "-7-" << "7";
    QTest::newRow("minus after digit") << "" << true << "7-" << "-7";
    QTest::newRow("back on lone minus") << "7" << true << "-<" << "";
    QTest::newRow("back drops last") << "123" << false << "<" << "12";
    QTest::newRow("back on one char") << "5" << false << "<" << "";
    QTest::newRow("back on empty") << "" << false << "<<" << "";
    QTest::newRow("back then digit keeps rest") << "123" << false << "<4" << "124";
    QTest::newRow("clear") << "123" << false << "C" << "";
    QTest::newRow("clear then digits") << "123" << false << "C45" << "45";
    QTest::newRow("ninth char dropped") << "" << false << "123456789" << "12345678";
    QTest::newRow("point counts") << "" << false << "1234567.8" << "1234567.";
    QTest::newRow("minus on full edit refused") << "" << true << "12345678-" << "12345678";
    QTest::newRow("minus counts") << "" << true << "-12345678" << "-1234567";
}

void TestNumKey::keys()
{
    QFETCH(QString, initial);
    QFETCH(bool, sign);
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    CDlgNumKey dlg(QStringLiteral("孔深"), initial, 0, 0);
    dlg.SetDotSignEnabled(true, sign);
    dlg.show();
    press(&dlg, keys);
    QCOMPARE(editText(&dlg), expected);
    QCOMPARE(dlg.m_bFirstKey, keys.isEmpty());
}

void TestNumKey::dotAndSignFlags()
{
    CDlgNumKey dlg(QStringLiteral("x"), QString(), 0, 0);
    auto *dot = dlg.findChild<QPushButton *>(QStringLiteral("BtnDot"));
    auto *sign = dlg.findChild<QPushButton *>(QStringLiteral("BtnSign"));
    QVERIFY(dot->isEnabled());
    QVERIFY(!sign->isEnabled());
    dlg.SetDotSignEnabled(false, true);
    QVERIFY(!dot->isEnabled());
    QVERIFY(sign->isEnabled());
    dlg.show();
    press(&dlg, QStringLiteral("1-.2"));
    // Disabled keys take no clicks.
    QCOMPARE(editText(&dlg), QStringLiteral("-12"));
}

void TestNumKey::okChecks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("sign");
    QTest::addColumn<double>("fMin");
    QTest::addColumn<double>("fMax");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<double>("value");

    const QString empty = QStringLiteral("输入为空，请重新输入！");
    const QString range = QStringLiteral("输入的数值范围有误，请重新输入！");
    QTest::newRow("empty") << "" << false << 0.0 << 0.0 << empty << 0.0;
    QTest::newRow("blanks are empty") << "  " << false << 0.0 << 0.0 << empty << 0.0;
    QTest::newRow("99999 passes") << "99999" << false << 0.0 << 0.0 << "" << 99999.0;
    QTest::newRow("100000 refused") << "100000" << false << 0.0 << 0.0 << range << 100000.0;
    QTest::newRow("99999.5 refused") << "99999.5" << false << 0.0 << 0.0 << range << 99999.5;
    QTest::newRow("zero without sign") << "0" << false << 0.0 << 0.0 << "" << 0.0;
    QTest::newRow("negative without sign") << "-1" << false << 0.0 << 0.0 << range << -1.0;
    QTest::newRow("negative with sign") << "-1" << true << 0.0 << 0.0 << "" << -1.0;
    QTest::newRow("-99999 with sign") << "-99999" << true << 0.0 << 0.0 << "" << -99999.0;
    QTest::newRow("-100000 with sign") << "-100000" << true << 0.0 << 0.0 << range << -100000.0;
    QTest::newRow("lone minus is 0") << "-" << true << 0.0 << 0.0 << "" << 0.0;
    QTest::newRow("bare point") << ".5" << false << 0.0 << 0.0 << "" << 0.5;
    QTest::newRow("minus bare point") << "-.5" << true << 0.0 << 0.0 << "" << -0.5;
    QTest::newRow("trailing point") << "12." << false << 0.0 << 0.0 << "" << 12.0;
    QTest::newRow("not a number is 0") << "abc" << false << 0.0 << 0.0 << "" << 0.0;
    QTest::newRow("below caller range") << "0.5" << false << 1.0 << 10.0
                                        << QStringLiteral("孔深的数值范围有误，请输入1到10之间的数!") << 0.5;
    QTest::newRow("above caller range") << "10.5" << false << 1.0 << 10.0
                                        << QStringLiteral("孔深的数值范围有误，请输入1到10之间的数!") << 10.5;
    QTest::newRow("caller range inclusive low") << "1" << false << 1.0 << 10.0 << "" << 1.0;
    QTest::newRow("caller range inclusive high") << "10" << false << 1.0 << 10.0 << "" << 10.0;
    QTest::newRow("fractional bounds printed") << "3" << false << 0.25 << 2.5
                                               << QStringLiteral("孔深的数值范围有误，请输入0.25到2.5之间的数!") << 3.0;
    QTest::newRow("caller range then plausibility") << "-5" << false << -10.0 << 10.0 << range << -5.0;
}

void TestNumKey::okChecks()
{
    QFETCH(QString, text);
    QFETCH(bool, sign);
    QFETCH(double, fMin);
    QFETCH(double, fMax);
    QFETCH(QString, message);
    QFETCH(double, value);
    CDlgNumKey dlg(QStringLiteral("孔深"), text, float(fMin), float(fMax));
    dlg.SetDotSignEnabled(true, sign);
    const OkOutcome out = pressOk(dlg);
    QCOMPARE(out.message, message);
    QCOMPARE(out.result, int(message.isEmpty() ? QDialog::Accepted : QDialog::Rejected));
    if (!text.trimmed().isEmpty())
        QCOMPARE(dlg.m_fValue, float(value));
}

void TestNumKey::refusedOkKeepsText()
{
    CDlgNumKey dlg(QStringLiteral("x"), QStringLiteral("-.5"), 0, 0);
    const OkOutcome out = pressOk(dlg); // sign disabled: refused
    QVERIFY(!out.message.isEmpty());
    QCOMPARE(out.textAfter, QStringLiteral("-.5"));
    QCOMPARE(dlg.m_strValue, QStringLiteral("-0.5"));
    QCOMPARE(dlg.m_fValue, -0.5f);
}

void TestNumKey::normalise_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow(".5") << ".5" << "0.5";
    QTest::newRow("-.5") << "-.5" << "-0.5";
    QTest::newRow(".") << "." << "0.";
    QTest::newRow("-.") << "-." << "-0.";
    QTest::newRow("1.5") << "1.5" << "1.5";
    QTest::newRow("-1.5") << "-1.5" << "-1.5";
}

void TestNumKey::normalise()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(normaliseNumberText(in), out);
}

void TestNumKey::constructorTexts()
{
    CDlgNumKey dlg(QStringLiteral("滑轮直径"), QStringLiteral("60"), 0, 0);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("滑轮直径"));
    QCOMPARE(childText<QLabel>(&dlg, "DlgTitleBarTitle"), QStringLiteral("滑轮直径"));
    QCOMPARE(childText<QLabel>(&dlg, "label"), QStringLiteral("输入滑轮直径的值为："));
    auto *edit = dlg.findChild<QLineEdit *>(QStringLiteral("EditValue"));
    QCOMPARE(edit->maxLength(), 8);
    QCOMPARE(edit->selectedText(), QStringLiteral("60"));
    QCOMPARE(dlg.findChild<QWidget *>(QStringLiteral("DlgTitleBar"))->maximumHeight(), 54);
    QCOMPARE(dlg.findChild<QWidget *>(QStringLiteral("DlgTitleBar"))->minimumHeight(), 54);
    QCOMPARE(childText<QPushButton>(&dlg, "BtnClear"), QStringLiteral("清除"));
}

void TestNumKey::englishTexts()
{
    language = 1;
    CDlgNumKey dlg(QStringLiteral("Depth"), QString(), 1, 10);
    QCOMPARE(childText<QLabel>(&dlg, "label"), QStringLiteral("The Depth input value is："));
    const char *names[] = {"BtnClear", "BtnBack", "BtnNumKeyCancel", "BtnNumKeyOK"};
    const char *texts[] = {"Clear", "Back", "Cancel", "OK"};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(childText<QPushButton>(&dlg, names[i]), QString::fromLatin1(texts[i]));
    QCOMPARE(pressOk(dlg).message, QStringLiteral("The input is empty,please input again!"));
    CDlgNumKey range(QStringLiteral("Depth"), QStringLiteral("11"), 1, 10);
    QCOMPARE(pressOk(range).message, QStringLiteral("The Depth value is invalid，please input 1-10!"));
    CDlgNumKey plaus(QStringLiteral("Depth"), QStringLiteral("-3"), 0, 0);
    QCOMPARE(pressOk(plaus).message, QStringLiteral("Input value range is wrong,please input again!"));
}

void TestNumKey::catalogueTexts()
{
    // The catalogue alone (language setting still Chinese) translates the
    // keypad's texts and its refusals.
    QTranslator tr;
    QVERIFY(tr.load(QStringLiteral(":/Language/English.qm")));
    QCoreApplication::installTranslator(&tr);
    CDlgNumKey dlg(QStringLiteral("Depth"), QStringLiteral("-3"), 0, 0);
    QCOMPARE(childText<QLabel>(&dlg, "label"), QStringLiteral("The Depth input value is："));
    QCOMPARE(childText<QPushButton>(&dlg, "BtnNumKeyCancel"), QStringLiteral("Cancel"));
    QCOMPARE(pressOk(dlg).message, QStringLiteral("Input value range is wrong,please input again!"));
    QCoreApplication::removeTranslator(&tr);
}

QTEST_MAIN(TestNumKey)
#include "tst_numkey.moc"
