// The set-up dialog, the leak notice and the resample question, driven
// through their real entry and message dialogs offscreen.
#include "buttontextfit.h"
#include "cdlgleak.h"
#include "cdlgresample.h"
#include "cdlgset.h"
#include "clocationpic.h"
#include "commonutils.h"
#include "ctrlinfo.h"
#include "depthcalc.h"
#include "modalanswer.h"
#include "paramfile.h"
#include "recordstyle.h"
#include "resamplerules.h"
#include "testsession.h"
#include "setuprules.h"
#include "sysconfig.h"
#include "testsupport.h"
#include "sessionsetup.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QTextCodec>
#include <QTranslator>
#include <QtTest>
#include <memory>

namespace {

// Keypad: clear, type the characters, OK.
ModalAnswerer::Action typeNumber(const QString &text)
{
    return [text](QWidget *w) {
        pressButton(w, "BtnClear");
        for (const QChar c : text) {
            if (c == QLatin1Char('.'))
                pressButton(w, "BtnDot");
            else if (c == QLatin1Char('-'))
                pressButton(w, "BtnSign");
            else
                pressButton(w, QByteArray("Btn").append(c.toLatin1()).constData());
        }
        pressButton(w, "BtnNumKeyOK");
    };
}

// Keyboard: the text as typed, then OK.
ModalAnswerer::Action typeText(const QString &text)
{
    return [text](QWidget *w) {
        auto *edit = w->findChild<QLineEdit *>(QStringLiteral("valueEdit"));
        QVERIFY(edit);
        edit->setText(text);
        pressButton(w, "BtnOK");
    };
}

// Selection grid: the button showing text.
ModalAnswerer::Action chooseItem(const QString &text)
{
    return [text](QWidget *w) {
        for (QPushButton *b : w->findChildren<QPushButton *>()) {
            if (wholeButtonText(b) == text && b->isEnabled()) {
                b->click();
                return;
            }
        }
        QFAIL(qPrintable(QStringLiteral("no item ") + text));
    };
}

ModalAnswerer::Action press(const char *button)
{
    return [button](QWidget *w) { pressButton(w, button); };
}

// Message box or question: remember the text, press the button.
ModalAnswerer::Action answer(QString *shown, const char *button = "BtnOK")
{
    return [shown, button](QWidget *w) {
        *shown = ModalAnswerer::messageOf(w);
        pressButton(w, button);
    };
}

QString titleOf(QWidget *w)
{
    auto *l = w->findChild<QLabel *>(QStringLiteral("DlgTitleBarTitle"));
    return l ? l->text() : QString();
}

template <typename T = QLineEdit>
T *field(QWidget *dlg, const char *name)
{
    T *w = dlg->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no field %s", name);
    return w;
}

QString text(QWidget *dlg, const char *name) { return field(dlg, name)->text(); }

// A touch on a field: the press gives it the focus, as on the instrument.
void touch(QDialog *dlg, const char *name)
{
    QWidget *w = field<QWidget>(dlg, name);
    dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dlg, 2000));
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(10, w->height() / 2));
}

// Runs the script around one touch and checks that it went as written.
#define TOUCH_WITH(dlg, name, script)                                                                   \
    do {                                                                                               \
        (script).start();                                                                              \
        touch((dlg), (name));                                                                          \
        QVERIFY2((script).finish(), (script).report().constData());                                     \
    } while (0)

// One touch answered by one entry dialog.
#define ENTER(dlg, name, className, action)                                                              \
    do {                                                                                               \
        ModalAnswerer one_;                                                                              \
        one_.expect((className), (action));                                                            \
        TOUCH_WITH((dlg), (name), one_);                                                               \
    } while (0)

QString gbkRepeat(const char *utf8, int n) { return QString::fromUtf8(utf8).repeated(n); }

int gbkBytes(const QString &s) { return QTextCodec::codecForName("GBK")->fromUnicode(s).size(); }

} // namespace

class TestSetup : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void geometryAndColours_data();
    void geometryAndColours();
    void loadsFields();
    void unmatchedComboTexts();

    void checks_data();
    void checks();
    void checksBeyondTheWidgets_data();
    void checksBeyondTheWidgets();
    void firstComplaintOnly();
    void storesAfterOk();
    void paceFollowsMode_data();
    void paceFollowsMode();
    void closedDialogStoresNothing();

    void keypadPerField_data();
    void keypadPerField();
    void elevationRule_data();
    void elevationRule();
    void angleCheck_data();
    void angleCheck();
    void cancelledEntryKeepsField();

    void textCut_data();
    void textCut();
    void projectPathWrittenAtOnce();
    void emptyProjectPathChangesNothing();
    void selections_data();
    void selections();
    void disabledModeComboOpensNothing();
    void basisAndPosition();

    void metresToMillimetres();
    void metresAsTypedOnKeypad();
    void fixedTextNeverNegativeZero();

    void chineseProjectAndBasisSurviveRestart();
    void modeSurvivesLanguageChange_data();
    void modeSurvivesLanguageChange();
    void okRefusesMissingMode_data();
    void okRefusesMissingMode();
    void englishCatalogue();

    void leakDepths();
    void leakNoticeClosing();
    void leakPauseOfferedAfterTenSeconds_data();
    void leakPauseOfferedAfterTenSeconds();
    void leakNoticeOffersPause();
    void resampleField_data();
    void resampleField();
    void resampleChecks_data();
    void resampleChecks();
    void resampleTinyMoveDistance();

    void locationDiagramGeometry();
    void locationDiagramAnchors();

private:
    std::unique_ptr<TestAppDir> m_dir;
    std::unique_ptr<CTestSession> m_session;
};

void TestSetup::init()
{
    m_dir = std::make_unique<TestAppDir>();
    resetSysBaseConfig();
    m_session = std::make_unique<CTestSession>();
}

void TestSetup::cleanup()
{
    m_session.reset();
    resetSysBaseConfig();
    m_dir.reset();
}

void TestSetup::geometryAndColours_data()
{
    QTest::addColumn<bool>("small");
    QTest::addColumn<int>("theme");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QColor>("back");
    QTest::addColumn<QColor>("fill");
    const QColor light(236, 238, 242);
    const QColor dark(40, 46, 64);
    QTest::newRow("large white") << false << 0 << false << QSize(1024, 768) << light << QColor(Qt::white);
    QTest::newRow("large black") << false << 1 << false << QSize(1024, 768) << dark << dark;
    QTest::newRow("small white") << true << 0 << false << QSize(800, 600) << light << QColor(Qt::white);
    QTest::newRow("small black English") << true << 1 << true << QSize(800, 600) << dark << dark;
}

void TestSetup::geometryAndColours()
{
    QFETCH(bool, small);
    QFETCH(int, theme);
    QFETCH(bool, english);
    QFETCH(QSize, size);
    QFETCH(QColor, back);
    QFETCH(QColor, fill);
    if (small)
        QVERIFY(QDir().mkpath(m_dir->file(QStringLiteral("8.4"))));
    style = theme;
    QTranslator translator;
    if (english) {
        QVERIFY(translator.load(QStringLiteral(":/Language/English.qm")));
        QCoreApplication::installTranslator(&translator);
    }
    // The main dialog, the set-up dialog's parent, carries the common sheet.
    QWidget host;
    QKRVCommomUtils::loadCommonStyleSheet(&host);
    CDlgSet dlg(m_session.get(), &host);
    QCOMPARE(dlg.geometry().center(), QKRVCommomUtils::screenRect().center());
    if (small)
        QCOMPARE(dlg.geometry().topLeft(), QPoint(100, 100));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    // Everything fits: the layout did not have to grow the dialog.
    QCOMPARE(dlg.size(), size);
    auto *pic = field<CLocationPic>(&dlg, "showPic");
    QCOMPARE(pic->backColor(), back);
    QCOMPARE(pic->fillColor(), fill);
    // The class sheet of the theme is in force.
    QVERIFY(dlg.styleSheet().contains(QStringLiteral("CDlgSet")));
    QCOMPARE(dlg.styleSheet().contains(QStringLiteral("#282E40")), theme == 1);
    QCoreApplication::removeTranslator(&translator);
}

void TestSetup::loadsFields()
{
    editSessionRecord(m_session.get(), [&](CtrlInfo &r) {
        r.projectName = QStringLiteral("城南大桥");
        r.projectPath = QStringLiteral("CN");
        r.testUnit = QStringLiteral("检测一队");
        r.constructionUnit = QStringLiteral("路桥公司");
        r.tester = QStringLiteral("李");
        r.holeNo = QStringLiteral("7#");
        r.maxDepth = 35500;
        r.holeDepth = 1; // the field shows maxDepth
        r.elevation = 30250;
        r.holeDiameter = 1500;
        r.offsetAngle = -45;
        r.moveDistance = 250;
        r.sampleMode = SampleModes::Manual6;
        r.wheelD = 63;
        r.lineD = 7;
    });
    CDlgSet dlg(m_session.get());
    QCOMPARE(text(&dlg, "editGCMC"), QStringLiteral("城南大桥"));
    QCOMPARE(text(&dlg, "editGCLJ"), QStringLiteral("CN"));
    QCOMPARE(text(&dlg, "editJCDW"), QStringLiteral("检测一队"));
    QCOMPARE(text(&dlg, "editSGDW"), QStringLiteral("路桥公司"));
    QCOMPARE(text(&dlg, "editJCRY"), QStringLiteral("李"));
    QCOMPARE(text(&dlg, "editPileName"), QStringLiteral("7#"));
    QCOMPARE(text(&dlg, "editPileLen"), QStringLiteral("35.50"));
    QCOMPARE(text(&dlg, "editPileBG"), QStringLiteral("30.25"));
    QCOMPARE(text(&dlg, "editPileD"), QStringLiteral("1500"));
    QCOMPARE(text(&dlg, "editAngle"), QStringLiteral("-45"));
    QCOMPARE(field<QComboBox>(&dlg, "CBMove")->currentText(), QStringLiteral("250"));
    QCOMPARE(field<QComboBox>(&dlg, "CBSampleMode")->currentText(), QStringLiteral("手动(6s/m)"));
    QCOMPARE(text(&dlg, "EPulleyD"), QStringLiteral("63.0"));
    QCOMPARE(text(&dlg, "ELineD"), QStringLiteral("7.0"));
    QCOMPARE(field<CLocationPic>(&dlg, "showPic")->angle(), -45);
    QCOMPARE(field<CLocationPic>(&dlg, "showPic")->tubeCount(), 4);

    QStringList modes;
    auto *cb = field<QComboBox>(&dlg, "CBSampleMode");
    for (int i = 0; i < cb->count(); ++i)
        modes << cb->itemText(i);
    QCOMPARE(modes, QStringList({QStringLiteral("自动提升"), QStringLiteral("手动提升"), QStringLiteral("手动(4s/m)"),
                                 QStringLiteral("手动(6s/m)"), QStringLiteral("手动(8s/m)")}));
    QStringList moves;
    auto *mv = field<QComboBox>(&dlg, "CBMove");
    for (int i = 0; i < mv->count(); ++i)
        moves << mv->itemText(i);
    QCOMPARE(moves, QStringList({"10", "50", "100", "150", "200", "250", "500"}));
}

void TestSetup::unmatchedComboTexts()
{
    editSessionRecord(m_session.get(), [&](CtrlInfo &r) {
        r.moveDistance = 75;
        r.sampleMode = SampleModes::Wireless; // offered by no item
    });
    CDlgSet dlg(m_session.get());
    QCOMPARE(field<QComboBox>(&dlg, "CBMove")->currentIndex(), -1);
    QCOMPARE(field<QComboBox>(&dlg, "CBSampleMode")->currentIndex(), -1);
}

void TestSetup::checks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message"); // empty: accepted
    auto row = [](const char *tag, const char *name, const char *value, const char *message) {
        QTest::newRow(tag) << QString::fromLatin1(name) << QString::fromUtf8(value) << QString::fromUtf8(message);
    };
    row("1 project name", "editGCMC", "", "请输入工程名称！");
    row("2 project path", "editGCLJ", "", "请输入工程路径！");
    row("2 project path leads out", "editGCLJ", "../x", "请输入工程路径！");
    row("2 project path absolute", "editGCLJ", "/tmp", "请输入工程路径！");
    row("2 project path in a folder", "editGCLJ", "a/b", "请输入工程路径！");
    row("project path with a dot", "editGCLJ", "A.1", "");
    row("3 test unit", "editJCDW", "", "请输入检测单位！");
    row("4 construction unit", "editSGDW", "", "请输入施工单位！");
    row("5 tester", "editJCRY", "", "请输入检测人员！");
    row("6 hole number", "editPileName", "", "请输入桩号！");
    row("7 hole depth empty", "editPileLen", "", "请输入桩长！");
    row("8 hole depth 0", "editPileLen", "0.00", "桩长超出范围(0-200)，请重新输入！");
    row("8 hole depth 200.01", "editPileLen", "200.01", "桩长超出范围(0-200)，请重新输入！");
    row("8 hole depth text", "editPileLen", "abc", "桩长超出范围(0-200)，请重新输入！");
    row("hole depth 200.00", "editPileLen", "200.00", "");
    row("9 elevation empty", "editPileBG", "", "请输入标高！");
    row("10 elevation 0", "editPileBG", "0", "标高超出范围(0-200)，请重新输入！");
    row("10 elevation 250", "editPileBG", "250.00", "标高超出范围(0-200)，请重新输入！");
    row("elevation 0.01", "editPileBG", "0.01", "");
    row("11 diameter empty", "editPileD", "", "请输入桩径！");
    row("12 diameter 0", "editPileD", "0", "桩径超出范围(1-9999)，请重新输入！");
    row("12 diameter 10000", "editPileD", "10000", "桩径超出范围(1-9999)，请重新输入！");
    row("12 diameter decimal", "editPileD", "12.5", "桩径超出范围(1-9999)，请重新输入！");
    row("diameter 9999", "editPileD", "9999", "");
    row("diameter 1", "editPileD", "1", "");
    row("13 move none", "CBMove", "", "请输入移距！");
    row("15 pulley negative", "EPulleyD", "-0.1", "滑轮直径输入不正确！");
    row("pulley empty reads 0", "EPulleyD", "", "");
    row("16 cable negative", "ELineD", "-1", "电缆直径输入不正确！");
}

void TestSetup::checks()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, message);
    const QString before = m_session->record().projectName.get();
    int paceCalls = 0;
    connect(m_session.get(), &CTestSession::samplingModeChanged, [&] { ++paceCalls; });
    CDlgSet dlg(m_session.get());
    dlg.show();
    if (name == QLatin1String("CBMove"))
        field<QComboBox>(&dlg, "CBMove")->setCurrentIndex(-1);
    else
        field(&dlg, name.toLatin1().constData())->setText(value);
    field(&dlg, "editGCMC")->setText(name == QLatin1String("editGCMC") ? value : QStringLiteral("新工程"));

    ModalAnswerer script;
    QString shown;
    if (!message.isEmpty())
        script.expect("CDlgMsgBox", answer(&shown));
    script.start();
    QTest::mouseClick(field<QPushButton>(&dlg, "BtnOK"), Qt::LeftButton);
    QVERIFY2(script.finish(), script.report().constData());
    QCOMPARE(shown, message);
    if (message.isEmpty()) {
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(m_session->record().projectName.get(), QStringLiteral("新工程"));
        QCOMPARE(paceCalls, 1);
    } else {
        QVERIFY(dlg.isVisible());
        QCOMPARE(m_session->record().projectName.get(), before);
        QCOMPARE(paceCalls, 0);
    }
}

void TestSetup::checksBeyondTheWidgets_data()
{
    // Texts the entry dialogs cannot produce but a field may still hold.
    QTest::addColumn<QString>("move");
    QTest::addColumn<QString>("pulley");
    QTest::addColumn<int>("failed");
    QTest::newRow("move 0") << "0" << "63" << 14;
    QTest::newRow("move text") << "abc" << "63" << 14;
    QTest::newRow("pulley nan") << "50" << "nan" << 15;
    QTest::newRow("pulley text reads 0") << "50" << "x" << 0;
    QTest::newRow("all good") << "50" << "63" << 0;
}

void TestSetup::checksBeyondTheWidgets()
{
    QFETCH(QString, move);
    QFETCH(QString, pulley);
    QFETCH(int, failed);
    CDlgSet dlg(m_session.get());
    SetupFields f = dlg.fields();
    f.move = move;
    f.pulleyD = pulley;
    QCOMPARE(SetupRules::firstFailingCheck(f), failed);
}

void TestSetup::firstComplaintOnly()
{
    editSessionRecord(m_session.get(), [&](CtrlInfo &r) {
        r.moveDistance = 75; // would fail check 13 as well
    });
    CDlgSet dlg(m_session.get());
    dlg.show();
    field(&dlg, "editGCMC")->clear();
    field(&dlg, "editPileLen")->clear();
    ModalAnswerer script;
    QString shown;
    script.expect("CDlgMsgBox", answer(&shown));
    script.start();
    QCOMPARE(dlg.CheckPara(), 0);
    QVERIFY2(script.finish(), script.report().constData());
    QCOMPARE(shown, QStringLiteral("请输入工程名称！"));

    // Name and depth given: the move distance 75 matched no item.
    field(&dlg, "editGCMC")->setText(QStringLiteral("P"));
    field(&dlg, "editPileLen")->setText(QStringLiteral("20.00"));
    ModalAnswerer second;
    second.expect("CDlgMsgBox", answer(&shown));
    second.start();
    QCOMPARE(dlg.CheckPara(), 0);
    QVERIFY2(second.finish(), second.report().constData());
    QCOMPARE(shown, QStringLiteral("请输入移距！"));
}

void TestSetup::storesAfterOk()
{
    CDlgSet dlg(m_session.get());
    dlg.show();
    // Hole depth 12.35 m, with the elevation (20.00) above it following.
    ENTER(&dlg, "editPileLen", "CDlgNumKey", typeNumber(QStringLiteral("12.35")));
    ENTER(&dlg, "EPulleyD", "CDlgNumKey", typeNumber(QStringLiteral("62.7")));
    ENTER(&dlg, "ELineD", "CDlgNumKey", typeNumber(QStringLiteral("7.9")));
    ENTER(&dlg, "editPileD", "CDlgNumKey", typeNumber(QStringLiteral("1250")));
    ENTER(&dlg, "editAngle", "CDlgNumKey", typeNumber(QStringLiteral("-90")));
    ENTER(&dlg, "CBMove", "CDlgSelKey", chooseItem(QStringLiteral("150")));
    ENTER(&dlg, "CBSampleMode", "CDlgSelKey", chooseItem(QStringLiteral("手动(4s/m)")));
    ENTER(&dlg, "editPileName", "keyboard", typeText(QStringLiteral("A-12")));

    QCOMPARE(text(&dlg, "editPileLen"), QStringLiteral("12.35"));
    QCOMPARE(text(&dlg, "editPileBG"), QStringLiteral("12.35"));
    QCOMPARE(text(&dlg, "EPulleyD"), QStringLiteral("62.7"));
    QCOMPARE(m_session->record().maxDepth.load(), 20000); // nothing stored before OK

    ModalAnswerer none;
    none.start();
    QTest::mouseClick(field<QPushButton>(&dlg, "BtnOK"), Qt::LeftButton);
    QVERIFY2(none.finish(), none.report().constData());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(m_session->record().maxDepth.load(), 12350);
    QCOMPARE(m_session->record().holeDepth.load(), 12350);
    QCOMPARE(m_session->record().elevation.load(), 12350);
    QCOMPARE(m_session->record().wheelD.load(), 62);
    QCOMPARE(m_session->record().lineD.load(), 7);
    QCOMPARE(m_session->record().holeDiameter.load(), 1250);
    QCOMPARE(m_session->record().offsetAngle.load(), -90);
    QCOMPARE(m_session->record().moveDistance.load(), 150);
    QCOMPARE(int(m_session->record().sampleMode), int(SampleModes::Manual4));
    QCOMPARE(m_session->record().holeNo.get(), QStringLiteral("A-12"));
    // Untouched texts are stored as shown.
    QCOMPARE(m_session->record().projectPath.get(), QStringLiteral("Talvenor"));
}

void TestSetup::paceFollowsMode_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("move");
    for (const char *m : {"自动提升", "手动提升", "手动(4s/m)", "手动(6s/m)", "手动(8s/m)"})
        QTest::newRow(m) << QString::fromUtf8(m) << QStringLiteral("100");
    QTest::newRow("8s/m with 500") << QStringLiteral("手动(8s/m)") << QStringLiteral("500");
}

void TestSetup::paceFollowsMode()
{
    QFETCH(QString, mode);
    QFETCH(QString, move);
    int changes = 0;
    connect(m_session.get(), &CTestSession::samplingModeChanged, [&] { ++changes; });
    CDlgSet dlg(m_session.get());
    dlg.show();
    ENTER(&dlg, "CBSampleMode", "CDlgSelKey", chooseItem(mode));
    ENTER(&dlg, "CBMove", "CDlgSelKey", chooseItem(move));
    QCOMPARE(changes, 0);
    QVERIFY(!m_session->paceTimer());
    QTest::mouseClick(field<QPushButton>(&dlg, "BtnOK"), Qt::LeftButton);
    QCOMPARE(changes, 1);
    // The session follows the stored set-up: the pace timer steps one move
    // distance at 4, 6 or 8 s/m, the manual modes move by hand.
    const int perMetre = mode.contains(QLatin1Char('4')) ? 4 : mode.contains(QLatin1Char('6')) ? 6
                         : mode.contains(QLatin1Char('8')) ? 8 : 0;
    QCOMPARE(m_session->paceTimer() ? m_session->paceTimer()->interval() : 0, perMetre * move.toInt());
    QCOMPARE(m_session->moveByHand(), mode != QStringLiteral("自动提升"));
    QCOMPARE(int(m_session->record().deviceChannel), mode != QStringLiteral("自动提升") ? 1 : 0);
}

void TestSetup::closedDialogStoresNothing()
{
    int paceCalls = 0;
    connect(m_session.get(), &CTestSession::samplingModeChanged, [&] { ++paceCalls; });
    CDlgSet dlg(m_session.get());
    dlg.show();
    ModalAnswerer s;
    QString asked;
    s.expect("CDlgNumKey", typeNumber(QStringLiteral("55")));
    s.expect("CDlgMsgQuestion", answer(&asked));
    TOUCH_WITH(&dlg, "editPileLen", s);
    QCOMPARE(text(&dlg, "editPileBG"), QStringLiteral("55.00"));
    dlg.reject();
    QCOMPARE(m_session->record().maxDepth.load(), 20000);
    QCOMPARE(m_session->record().elevation.load(), 20000);
    QCOMPARE(paceCalls, 0);
}

void TestSetup::keypadPerField_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("dot");
    QTest::addColumn<bool>("sign");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    auto row = [](const char *name, const char *title, bool dot, bool sign, const char *typed, const char *shown) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(title) << dot << sign
                            << QString::fromLatin1(typed) << QString::fromLatin1(shown);
    };
    row("editPileBG", "标高", true, false, "15.5", "15.50");
    row("editPileD", "孔径", false, false, "800", "800");
    row("editAngle", "偏移角", false, true, "-15", "-15");
    row("EPulleyD", "滑轮直径", true, false, "70", "70.0");
    row("ELineD", "电缆直径", true, false, "6.55", "6.6");
    row("editPileLen", "孔深", true, false, "15", "15.00");
}

void TestSetup::keypadPerField()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(bool, dot);
    QFETCH(bool, sign);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    CDlgSet dlg(m_session.get());
    dlg.show();
    const QByteArray n = name.toLatin1();
    const QString initial = text(&dlg, n.constData());
    QString seenTitle;
    QString seenText;
    bool dotEnabled = !dot;
    bool signEnabled = !sign;
    ModalAnswerer s;
    s.expect("CDlgNumKey", [&](QWidget *w) {
        seenTitle = titleOf(w);
        seenText = w->findChild<QLineEdit *>(QStringLiteral("EditValue"))->text();
        dotEnabled = w->findChild<QPushButton *>(QStringLiteral("BtnDot"))->isEnabled();
        signEnabled = w->findChild<QPushButton *>(QStringLiteral("BtnSign"))->isEnabled();
        typeNumber(typed)(w);
    });
    TOUCH_WITH(&dlg, n.constData(), s);
    QCOMPARE(seenTitle, title);
    QCOMPARE(seenText, initial);
    QCOMPARE(dotEnabled, dot);
    QCOMPARE(signEnabled, sign);
    QCOMPARE(text(&dlg, n.constData()), shown);
    // The field gave the focus back, so the next touch opens the keypad again.
    QVERIFY(!field<QWidget>(&dlg, n.constData())->hasFocus());
    ENTER(&dlg, n.constData(), "CDlgNumKey", press("BtnNumKeyCancel"));
}

void TestSetup::elevationRule_data()
{
    QTest::addColumn<QString>("elevation");
    QTest::addColumn<QString>("depth");
    QTest::addColumn<QString>("reply"); // button of the question, empty: no question
    QTest::addColumn<QString>("after");
    QTest::newRow("deeper, yes") << "25.00" << "30" << "BtnOK" << "30.00";
    QTest::newRow("deeper, no") << "25.00" << "30" << "BtnCancel" << "25.00";
    QTest::newRow("shallower follows") << "25.00" << "20" << "" << "20.00";
    QTest::newRow("equal") << "25.00" << "25" << "" << "25.00";
    QTest::newRow("elevation not a number") << "x" << "0.5" << "BtnOK" << "0.50";
}

void TestSetup::elevationRule()
{
    QFETCH(QString, elevation);
    QFETCH(QString, depth);
    QFETCH(QString, reply);
    QFETCH(QString, after);
    CDlgSet dlg(m_session.get());
    dlg.show();
    field(&dlg, "editPileBG")->setText(elevation);
    ModalAnswerer s;
    QString asked;
    s.expect("CDlgNumKey", typeNumber(depth));
    const QByteArray button = reply.toLatin1();
    if (!reply.isEmpty())
        s.expect("CDlgMsgQuestion", answer(&asked, button.constData()));
    TOUCH_WITH(&dlg, "editPileLen", s);
    if (!reply.isEmpty())
        QCOMPARE(asked, QStringLiteral("输入孔深大于标高，确定将标高设为与孔深相等吗？"));
    QCOMPARE(text(&dlg, "editPileBG"), after);
}

void TestSetup::angleCheck_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("-360") << "-360" << true;
    QTest::newRow("360") << "360" << true;
    QTest::newRow("-361") << "-361" << false;
    QTest::newRow("361") << "361" << false;
    QTest::newRow("0") << "0" << true;
}

void TestSetup::angleCheck()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    editSessionRecord(m_session.get(), [&](CtrlInfo &r) {
        r.offsetAngle = 30;
    });
    CDlgSet dlg(m_session.get());
    dlg.show();
    auto *pic = field<CLocationPic>(&dlg, "showPic");
    QCOMPARE(pic->angle(), 30);
    ModalAnswerer s;
    QString shown;
    s.expect("CDlgNumKey", typeNumber(typed));
    if (!accepted)
        s.expect("CDlgMsgBox", answer(&shown));
    TOUCH_WITH(&dlg, "editAngle", s);
    if (accepted) {
        QCOMPARE(text(&dlg, "editAngle"), typed);
        QCOMPARE(pic->angle(), typed.toInt());
    } else {
        QCOMPARE(shown, QStringLiteral("输入无效！偏移角超出范围(-360~360)！"));
        QCOMPARE(text(&dlg, "editAngle"), QStringLiteral("30"));
        QCOMPARE(pic->angle(), 30);
    }
}

void TestSetup::cancelledEntryKeepsField()
{
    CDlgSet dlg(m_session.get());
    dlg.show();
    ModalAnswerer s;
    s.expect("CDlgNumKey", [](QWidget *w) {
        pressButton(w, "Btn5");
        pressButton(w, "BtnNumKeyCancel");
    });
    s.expect("keyboard", [](QWidget *w) {
        w->findChild<QLineEdit *>(QStringLiteral("valueEdit"))->setText(QStringLiteral("X"));
        pressButton(w, "Key_Close");
    });
    s.expect("CDlgSelKey", press("Btn16"));
    s.start();
    touch(&dlg, "editPileLen");
    touch(&dlg, "editGCMC");
    touch(&dlg, "CBMove");
    QVERIFY2(s.finish(), s.report().constData());
    QCOMPARE(text(&dlg, "editPileLen"), QStringLiteral("20.00"));
    QCOMPARE(text(&dlg, "editGCMC"), m_session->record().projectName.get());
    QCOMPARE(field<QComboBox>(&dlg, "CBMove")->currentText(), QStringLiteral("50"));
}

void TestSetup::textCut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    const QString han39 = gbkRepeat("测", 39);
    const QString latin100 = QStringLiteral("a").repeated(100);
    QTest::newRow("39 Chinese stay whole") << "editJCRY" << han39 << han39;
    QTest::newRow("40 Chinese keep 39") << "editGCMC" << gbkRepeat("测", 40) << han39;
    QTest::newRow("100 Latin keep 79") << "editGCMC" << latin100 << latin100.left(79);
    QTest::newRow("odd byte never splits") << "editJCDW" << QStringLiteral("a") + gbkRepeat("工", 40)
                                           << QStringLiteral("a") + gbkRepeat("工", 39);
    QTest::newRow("mixed 79 bytes") << "editSGDW" << QStringLiteral("b") + han39 << QStringLiteral("b") + han39;
    QTest::newRow("hole number") << "editPileName" << latin100 << latin100.left(79);
}

void TestSetup::textCut()
{
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    CDlgSet dlg(m_session.get());
    dlg.show();
    const QByteArray n = name.toLatin1();
    ENTER(&dlg, n.constData(), "keyboard", typeText(typed));
    QCOMPARE(text(&dlg, n.constData()), kept);
    QVERIFY(gbkBytes(text(&dlg, n.constData())) <= 79);
}

void TestSetup::projectPathWrittenAtOnce()
{
    const QString longPath = QStringLiteral("p").repeated(90);
    CDlgSet dlg(m_session.get());
    dlg.show();
    ENTER(&dlg, "editGCLJ", "keyboard", typeText(longPath));
    QCOMPARE(text(&dlg, "editGCLJ"), longPath); // no byte cut for the path
    QCOMPARE(m_session->record().projectPath.get(), longPath);
    dlg.reject();
    QCOMPARE(m_session->record().projectPath.get(), longPath);
}

void TestSetup::emptyProjectPathChangesNothing()
{
    CDlgSet dlg(m_session.get());
    dlg.show();
    ENTER(&dlg, "editGCLJ", "keyboard", typeText(QStringLiteral("   ")));
    QCOMPARE(text(&dlg, "editGCLJ"), QStringLiteral("Talvenor"));
    QCOMPARE(m_session->record().projectPath.get(), QStringLiteral("Talvenor"));
}

void TestSetup::selections_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QStringList>("offered");
    QTest::newRow("move") << "CBMove" << QStringLiteral("移距") << "500"
                          << QStringList{"10", "50", "100", "150", "200", "250", "500"};
    QTest::newRow("mode") << "CBSampleMode" << QStringLiteral("采集提升方式") << QStringLiteral("手动提升")
                          << QStringList{QStringLiteral("自动提升"), QStringLiteral("手动提升"), QStringLiteral("手动(4s/m)"),
                                         QStringLiteral("手动(6s/m)"), QStringLiteral("手动(8s/m)")};
    QTest::newRow("position") << "CBPosition" << QStringLiteral("测点") << QStringLiteral("Y'")
                              << QStringList{QStringLiteral("不指定"), QStringLiteral("中心"), "X", "X'", "Y", "Y'"};
}

void TestSetup::selections()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, choice);
    QFETCH(QStringList, offered);
    CDlgSet dlg(m_session.get());
    dlg.show();
    const QByteArray n = name.toLatin1();
    QString seenTitle;
    QStringList seenItems;
    ModalAnswerer s;
    s.expect("CDlgSelKey", [&](QWidget *w) {
        seenTitle = titleOf(w);
        for (int i = 1; i <= 15; ++i) {
            auto *b = w->findChild<QPushButton *>(QStringLiteral("Btn%1").arg(i));
            if (b->isEnabled())
                seenItems << wholeButtonText(b);
        }
        chooseItem(choice)(w);
    });
    TOUCH_WITH(&dlg, n.constData(), s);
    QCOMPARE(seenTitle, title);
    QCOMPARE(seenItems, offered);
    QCOMPARE(field<QComboBox>(&dlg, n.constData())->currentText(), choice);
}

// The basis: a pile type of the limits table from the grid, or a design value
// on the keypad (which then wins), or none; stored with the position on OK,
// and a new basis starts the test unjudged.
void TestSetup::basisAndPosition()
{
    editSessionRecord(m_session.get(), [&](CtrlInfo &r) {
        r.acceptance.verdict = AcceptanceVerdict::Pass;
        r.acceptance.limitMm = 50;
    });
    CDlgSet dlg(m_session.get());
    dlg.show();
    QCOMPARE(text(&dlg, "editBasis"), QStringLiteral("无"));
    QStringList offered;
    ENTER(&dlg, "editBasis", "CDlgSelKey", [&](QWidget *w) {
        for (int i = 1; i <= 15; ++i) {
            auto *b = w->findChild<QPushButton *>(QStringLiteral("Btn%1").arg(i));
            if (b->isEnabled())
                offered << wholeButtonText(b);
        }
        chooseItem(QStringLiteral("JTG/T 3650 摩擦桩"))(w);
    });
    QCOMPARE(offered, (QStringList{QStringLiteral("无"), QStringLiteral("JGJ 94 端承桩"), QStringLiteral("JGJ 94 摩擦桩"),
                                   QStringLiteral("JGJ 94 抗拔、抗水平力桩"), QStringLiteral("GB 50202 端承桩"),
                                   QStringLiteral("GB 50202 摩擦桩"), QStringLiteral("JTG/T 3650 端承桩"),
                                   QStringLiteral("JTG/T 3650 摩擦桩"), QStringLiteral("设计值(mm)")}));
    QCOMPARE(text(&dlg, "editBasis"), QStringLiteral("JTG/T 3650 摩擦桩"));

    ModalAnswerer design;
    design.expect("CDlgSelKey", chooseItem(QStringLiteral("设计值(mm)")));
    design.expect("CDlgNumKey", typeNumber(QStringLiteral("80")));
    TOUCH_WITH(&dlg, "editBasis", design);
    QCOMPARE(text(&dlg, "editBasis"), QStringLiteral("设计值 80 mm"));
    ENTER(&dlg, "CBPosition", "CDlgSelKey", chooseItem(QStringLiteral("X")));
    QCOMPARE(m_session->record().acceptance.designLimitMm, 0); // nothing stored before OK

    QTest::mouseClick(field<QPushButton>(&dlg, "BtnOK"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(m_session->record().acceptance.designLimitMm, 80);
    QVERIFY(m_session->record().acceptance.code.isEmpty());
    QCOMPARE(m_session->record().acceptance.position, int32_t(MeasuringPosition::X));
    QCOMPARE(m_session->record().acceptance.verdict, int32_t(AcceptanceVerdict::NotJudged));
    QCOMPARE(m_session->record().acceptance.limitMm, -1);

    CDlgSet again(m_session.get());
    again.show();
    QCOMPARE(text(&again, "editBasis"), QStringLiteral("设计值 80 mm"));
    QCOMPARE(field<QComboBox>(&again, "CBPosition")->currentText(), QStringLiteral("X"));
    ENTER(&again, "editBasis", "CDlgSelKey", chooseItem(QStringLiteral("无")));
    QTest::mouseClick(field<QPushButton>(&again, "BtnOK"), Qt::LeftButton);
    QVERIFY(!m_session->record().acceptance.hasBasis());
}

void TestSetup::disabledModeComboOpensNothing()
{
    CDlgSet dlg(m_session.get());
    dlg.show();
    auto *cb = field<QComboBox>(&dlg, "CBSampleMode");
    cb->setEnabled(false);
    ModalAnswerer s; // no dialog may open
    s.start(300);
    QMouseEvent pressEvent(QEvent::MouseButtonPress, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cb, &pressEvent);
    QTest::qWait(50);
    QVERIFY2(s.unexpected().isEmpty(), s.report().constData());
    QCOMPARE(cb->currentText(), QStringLiteral("自动提升"));
}

void TestSetup::metresToMillimetres()
{
    // Every value the keypad can leave in the field, 0.00 to 200.00 m.
    for (int cm = 0; cm <= 20000; ++cm) {
        const QString t = QString::number(cm / 100) + QLatin1Char('.') + QString::number(cm % 100).rightJustified(2, '0');
        if (SetupRules::metresToMm(t) != cm * 10)
            QFAIL(qPrintable(t + QStringLiteral(" -> ") + QString::number(SetupRules::metresToMm(t))));
    }
    QCOMPARE(SetupRules::metresToMm(QStringLiteral("12.3456")), 12345); // cut toward zero
    QCOMPARE(SetupRules::metresToMm(QStringLiteral("-1.2345")), -1234);
    QCOMPARE(SetupRules::metresToMm(QStringLiteral(".5")), 500);
    QCOMPARE(SetupRules::metresToMm(QStringLiteral("12.")), 12000);
    QCOMPARE(SetupRules::metresToMm(QStringLiteral("abc")), 0);
    QCOMPARE(SetupRules::metresToMm(QStringLiteral("1e1")), 10000);
    QCOMPARE(SetupRules::metresToMm(QStringLiteral("99999999999")), 2147483647);
}

void TestSetup::metresAsTypedOnKeypad()
{
    // The keypad hands over a 32-bit float; the field keeps it with two
    // decimals, and storing gives back what was typed.
    for (int cm = 1; cm <= 20000; ++cm) {
        const float typed = static_cast<float>(cm / 100.0);
        const QString shown = SetupRules::fixedText(typed, 2);
        if (SetupRules::metresToMm(shown) != cm * 10)
            QFAIL(qPrintable(shown));
    }
    SetupFields f;
    f.holeDepth = QStringLiteral("12.35");
    f.elevation = QStringLiteral("0.29");
    CtrlInfo info;
    SetupRules::storeFields(f, info);
    QCOMPARE(info.maxDepth.load(), 12350);
    QCOMPARE(info.holeDepth.load(), 12350);
    QCOMPARE(info.elevation.load(), 290);
}

void TestSetup::fixedTextNeverNegativeZero()
{
    QCOMPARE(SetupRules::fixedText(-0.0, 0), QStringLiteral("0"));
    QCOMPARE(SetupRules::fixedText(-0.001, 2), QStringLiteral("0.00"));
    QCOMPARE(SetupRules::fixedText(-0.4, 0), QStringLiteral("0"));
    QCOMPARE(SetupRules::fixedText(-12.5, 1), QStringLiteral("-12.5"));
    QCOMPARE(SetupRules::fixedText(62.7, 1), QStringLiteral("62.7"));
}

void TestSetup::chineseProjectAndBasisSurviveRestart()
{
    const QString name = QStringLiteral("城南大桥桩基检测工程");
    const QString path = QStringLiteral("城南大桥");
    {
        CDlgSet dlg(m_session.get());
        dlg.show();
        ENTER(&dlg, "editGCMC", "keyboard", typeText(name));
        ENTER(&dlg, "editGCLJ", "keyboard", typeText(path));
        ENTER(&dlg, "editJCRY", "keyboard", typeText(QStringLiteral("王工")));
        // The basis and position serve the next hole of the project too.
        ENTER(&dlg, "editBasis", "CDlgSelKey", chooseItem(QStringLiteral("JTG/T 3650 摩擦桩")));
        ENTER(&dlg, "CBPosition", "CDlgSelKey", chooseItem(QStringLiteral("Y'")));
        QTest::mouseClick(field<QPushButton>(&dlg, "BtnOK"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
    // What the main dialog does with an accepted set-up.
    QVERIFY(saveTestParams(m_session->record()));

    // A new start: fresh records, loaded from the file.
    CtrlInfo fresh;
    QCOMPARE(fresh.projectName.get(), defaultProjectName());
    loadTestParams(fresh);
    m_session->storeSetup(fresh);
    CDlgSet again(m_session.get());
    QCOMPARE(text(&again, "editGCMC"), name);
    QCOMPARE(text(&again, "editGCLJ"), path);
    QCOMPARE(text(&again, "editJCRY"), QStringLiteral("王工"));
    QCOMPARE(text(&again, "editBasis"), QStringLiteral("JTG/T 3650 摩擦桩"));
    QCOMPARE(field<QComboBox>(&again, "CBPosition")->currentText(), QStringLiteral("Y'"));
}

void TestSetup::modeSurvivesLanguageChange_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("savedInEnglish");
    for (int mode = SampleModes::AutoRaise; mode <= SampleModes::Manual8; ++mode) {
        const QByteArray name = SampleModes::sourceText(mode).toUtf8();
        QTest::newRow((name + ", English then Chinese").constData()) << mode << true;
        QTest::newRow((name + ", Chinese then English").constData()) << mode << false;
    }
}

void TestSetup::modeSurvivesLanguageChange()
{
    QFETCH(int, mode);
    QFETCH(bool, savedInEnglish);
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/Language/English.qm")));
    const auto useEnglish = [&english](bool on) {
        if (on)
            QCoreApplication::installTranslator(&english);
        else
            QCoreApplication::removeTranslator(&english);
    };
    useEnglish(savedInEnglish);
    {
        // The operator picks the mode by its text in the language on show.
        CDlgSet dlg(m_session.get());
        dlg.show();
        auto *cb = field<QComboBox>(&dlg, "CBSampleMode");
        const QString shown = cb->itemText(cb->findData(mode));
        ENTER(&dlg, "CBSampleMode", "CDlgSelKey", chooseItem(shown));
        QTest::mouseClick(field<QPushButton>(&dlg, "BtnOK"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
    QVERIFY(saveTestParams(m_session->record()));
    // The file keeps its layout: the mode as a text, in the language on show.
    QByteArray stored;
    {
        QDataStream s(&stored, QIODevice::WriteOnly);
        s.setVersion(QDataStream::Qt_4_0);
        s << SampleModes::text(mode);
    }
    QVERIFY(readFileBytes(testParamFilePath()).contains(stored));

    // The next start shows the other language.
    useEnglish(!savedInEnglish);
    CtrlInfo fresh;
    fresh.sampleMode = -1;
    loadTestParams(fresh);
    QCOMPARE(int(fresh.sampleMode), mode);
    m_session->storeSetup(fresh);
    CDlgSet again(m_session.get());
    auto *cb = field<QComboBox>(&again, "CBSampleMode");
    QCOMPARE(cb->currentData().toInt(), mode);
    QCOMPARE(cb->currentText(), cb->itemText(mode));
    QVERIFY(!cb->currentText().isEmpty());
    // The screen and the acquisition agree on who raises the probe.
    const bool byHand = mode != SampleModes::AutoRaise;
    QCOMPARE(SampleModes::isManual(m_session->record().sampleMode), byHand);
    QCOMPARE(acqSettingsOf(m_session->record()).heightFromWinch, !byHand);
    // OK passes and keeps the mode.
    ModalAnswerer none;
    none.start();
    QTest::mouseClick(field<QPushButton>(&again, "BtnOK"), Qt::LeftButton);
    QVERIFY2(none.finish(), none.report().constData());
    QCOMPARE(int(m_session->record().sampleMode), mode);
    useEnglish(false);
}

void TestSetup::okRefusesMissingMode_data()
{
    QTest::addColumn<int>("stored");
    QTest::newRow("unknown text in the file") << -1;
    QTest::newRow("wireless, offered by no item") << int(SampleModes::Wireless);
}

void TestSetup::okRefusesMissingMode()
{
    QFETCH(int, stored);
    editSessionRecord(m_session.get(), [&](CtrlInfo &r) {
        r.sampleMode = stored;
    });
    int paceCalls = 0;
    connect(m_session.get(), &CTestSession::samplingModeChanged, [&] { ++paceCalls; });
    CDlgSet dlg(m_session.get());
    dlg.show();
    QCOMPARE(field<QComboBox>(&dlg, "CBSampleMode")->currentIndex(), -1);
    ModalAnswerer script;
    QString shown;
    script.expect("CDlgMsgBox", answer(&shown));
    script.start();
    QTest::mouseClick(field<QPushButton>(&dlg, "BtnOK"), Qt::LeftButton);
    QVERIFY2(script.finish(), script.report().constData());
    QCOMPARE(shown, QStringLiteral("请选择采集方式！"));
    QVERIFY(dlg.isVisible());
    QCOMPARE(paceCalls, 0);
    QCOMPARE(int(m_session->record().sampleMode), stored);
    // Chosen, the set-up is accepted.
    ENTER(&dlg, "CBSampleMode", "CDlgSelKey", chooseItem(QStringLiteral("手动提升")));
    QTest::mouseClick(field<QPushButton>(&dlg, "BtnOK"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(int(m_session->record().sampleMode), int(SampleModes::Manual));
}

void TestSetup::englishCatalogue()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/Language/English.qm")));
    QCoreApplication::installTranslator(&translator);
    language = 1;
    editSessionRecord(m_session.get(), [&](CtrlInfo &r) {
        r = CtrlInfo(); // defaults in the language on show
    });
    CDlgSet dlg(m_session.get());
    dlg.show();
    QCOMPARE(field<QLabel>(&dlg, "label_GCMC")->text(), QStringLiteral("Project Name:"));
    QCOMPARE(field<QLabel>(&dlg, "label_SGDW")->text(), QStringLiteral("Construction\n Unit:"));
    QCOMPARE(field<QGroupBox>(&dlg, "gbPara_2")->title(), QStringLiteral("Winch Parameter"));
    QCOMPARE(field<QPushButton>(&dlg, "BtnOK")->text(), QStringLiteral("OK"));
    // The stored default mode is the English text and matches its item.
    QCOMPARE(field<QComboBox>(&dlg, "CBSampleMode")->currentText(), QStringLiteral("Auto-Raise"));
    QCOMPARE(field<QComboBox>(&dlg, "CBSampleMode")->itemText(1), QStringLiteral("Manual"));
    field(&dlg, "editPileD")->setText(QStringLiteral("0"));
    ModalAnswerer s;
    QString shown;
    s.expect("CDlgMsgBox", answer(&shown));
    s.start();
    QCOMPARE(dlg.CheckPara(), 0);
    QVERIFY2(s.finish(), s.report().constData());
    QCOMPARE(shown, QStringLiteral("Pile diameter is beyond range (1-9999), please input again!"));

    CDlgReSample re(500, 0, 20000, 50);
    QCOMPARE(field<QLabel>(&re, "lbShow2")->text(), QStringLiteral("Resample H(cm):"));
    QCOMPARE(ResampleRules::message(ResampleRules::Verdict::NotMultiple, 500, 20000, 50),
             QStringLiteral("Please input a valid resample height: a multiple of the move 50mm"));
    CDlgLeak leak;
    QCOMPARE(leak.windowTitle(), QStringLiteral("Leak Point"));
    QCOMPARE(field<QPushButton>(&leak, "BtnLeakPause")->text(), QStringLiteral("Pause test"));
    QCoreApplication::removeTranslator(&translator);
}

void TestSetup::leakDepths()
{
    CDlgLeak leak;
    QCOMPARE(leak.windowTitle(), QStringLiteral("出现漏点"));
    QVERIFY(leak.windowFlags() & Qt::CustomizeWindowHint);
    QVERIFY(leak.windowFlags() & Qt::WindowTitleHint);
    leak.SetHeights(12340, 12000, 20000);
    QCOMPARE(text(&leak, "ECurH"), QStringLiteral("7.66"));
    QCOMPARE(text(&leak, "ELeakH"), QStringLiteral("8.00"));
    QCOMPARE(leak.m_nCurHeight, 12340);
    QCOMPARE(leak.m_nLeakHeight, 12000);
    // The depth follows the hole depth given with the heights.
    leak.SetHeights(30000, 29995, 30000);
    QCOMPARE(text(&leak, "ECurH"), QStringLiteral("0.00"));
    QCOMPARE(text(&leak, "ELeakH"), QStringLiteral("0.01"));
}

void TestSetup::leakNoticeClosing()
{
    CDlgLeak leak;
    leak.m_bShown = true;
    int result = -1;
    bool visibleAfterEscape = false;
    bool shownAfterEscape = true;
    QTimer::singleShot(0, &leak, [&]() {
        QTest::keyClick(&leak, Qt::Key_Escape);
        visibleAfterEscape = leak.isVisible();
        shownAfterEscape = leak.m_bShown;
        leak.m_bShown = true;
        leak.SetHeights(100, 50, 20000); // refreshed while open
        leak.Close();
    });
    QTimer::singleShot(10000, &leak, [&]() { leak.done(99); }); // bound
    result = leak.exec();
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(visibleAfterEscape);
    QVERIFY(!shownAfterEscape);
    QVERIFY(!leak.m_bShown);
}

void TestSetup::leakPauseOfferedAfterTenSeconds_data()
{
    QTest::addColumn<qint64>("shownMs");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<bool>("offered");
    QTest::newRow("just shown") << qint64(0) << kLeakPauseOfferMs << false;
    QTest::newRow("9.999 s") << qint64(9999) << kLeakPauseOfferMs << false;
    QTest::newRow("10 s") << qint64(10000) << kLeakPauseOfferMs << true;
    QTest::newRow("an hour") << qint64(3600000) << kLeakPauseOfferMs << true;
    QTest::newRow("no delay") << qint64(0) << 0 << true;
}

void TestSetup::leakPauseOfferedAfterTenSeconds()
{
    QFETCH(qint64, shownMs);
    QFETCH(int, delayMs);
    QFETCH(bool, offered);
    QCOMPARE(leakPauseOffered(shownMs, delayMs), offered);
    QCOMPARE(CDlgLeak().pauseOfferDelayMs(), kLeakPauseOfferMs);
}

void TestSetup::leakNoticeOffersPause()
{
    // The notice shows without the button, offers it once the delay has
    // passed, and a press asks for the pause; each showing starts afresh.
    CDlgLeak leak;
    leak.setPauseOfferDelayMs(150);
    auto *pause = field<QPushButton>(&leak, "BtnLeakPause");
    QCOMPARE(pause->text(), QStringLiteral("暂停测试"));
    QSignalSpy asked(&leak, &CDlgLeak::pauseRequested);
    for (int showing = 0; showing < 2; ++showing) {
        leak.m_bShown = true;
        bool hiddenAtFirst = false;
        qint64 offeredAfter = -1;
        bool fits = false;
        QElapsedTimer clock;
        QTimer poll;
        poll.setInterval(5);
        connect(&poll, &QTimer::timeout, &leak, [&]() {
            if (!clock.isValid()) {
                clock.start();
                hiddenAtFirst = leak.isVisible() && !pause->isVisible();
            }
            if (pause->isVisible()) {
                poll.stop();
                offeredAfter = clock.elapsed();
                fits = leak.rect().contains(pause->geometry()) && pause->height() >= 80
                       && pause->width() >= pause->sizeHint().width();
                QTest::mouseClick(pause, Qt::LeftButton);
                leak.Close(); // what the main dialog's pause does
            }
        });
        poll.start();
        QTimer::singleShot(10000, &leak, [&]() { leak.done(99); }); // bound
        QCOMPARE(leak.exec(), int(QDialog::Accepted));
        QVERIFY(hiddenAtFirst);
        QVERIFY2(offeredAfter >= 0, "the pause was never offered");
        QVERIFY(fits);
        QCOMPARE(asked.count(), showing + 1);
        QVERIFY(!leak.m_bShown);
        QVERIFY(!pause->isVisibleTo(&leak));
    }
}

void TestSetup::resampleField_data()
{
    QTest::addColumn<int>("initial");
    QTest::addColumn<QString>("shown");
    QTest::newRow("0 leaves it empty") << 0 << "";
    QTest::newRow("negative leaves it empty") << -5 << "";
    QTest::newRow("600") << 600 << "600";
}

void TestSetup::resampleField()
{
    QFETCH(int, initial);
    QFETCH(QString, shown);
    CDlgReSample dlg(500, initial, 20000, 50);
    QCOMPARE(dlg.m_nMinDepth, 500);
    QCOMPARE(dlg.m_nReDepth, initial);
    QCOMPARE(field<QLabel>(&dlg, "lbCurH")->text(), QStringLiteral("500"));
    QCOMPARE(text(&dlg, "edReH"), shown);
    QCOMPARE(dlg.geometry(), QKRVCommomUtils::screenRect());
    QVERIFY(dlg.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(dlg.testAttribute(Qt::WA_TranslucentBackground));
}

void TestSetup::resampleChecks_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("message"); // empty: accepted
    const QString range = QStringLiteral("请输入合法重采高度，高度应在500cm-2000cm范围内");
    const QString multiple = QStringLiteral("请输入合法重采高度，高度应为移距50mm的整倍数");
    QTest::newRow("500") << "500" << 500 << "";
    QTest::newRow("2000") << "2000" << 2000 << "";
    QTest::newRow("505") << "505" << 505 << "";
    QTest::newRow("510") << "510" << 510 << "";
    QTest::newRow("503") << "503" << 503 << multiple;
    QTest::newRow("499") << "499" << 499 << range;
    QTest::newRow("2001") << "2001" << 2001 << range;
    QTest::newRow("505.9 is 505") << "505.9" << 505 << "";
}

void TestSetup::resampleChecks()
{
    QFETCH(QString, typed);
    QFETCH(int, depth);
    QFETCH(QString, message);
    CDlgReSample dlg(500, 0, 20000, 50);
    dlg.show();
    QString title;
    ModalAnswerer entry;
    entry.expect("CDlgNumKey", [&](QWidget *w) {
        title = titleOf(w);
        typeNumber(typed)(w);
    });
    TOUCH_WITH(&dlg, "edReH", entry);
    QCOMPARE(title, QStringLiteral("重采高度"));
    QCOMPARE(dlg.m_nReDepth, depth);
    QCOMPARE(text(&dlg, "edReH"), QString::number(depth));

    ModalAnswerer ok;
    QString shown;
    if (!message.isEmpty())
        ok.expect("CDlgMsgBox", answer(&shown));
    ok.start();
    QTest::mouseClick(field<QPushButton>(&dlg, "BtnOK"), Qt::LeftButton);
    QVERIFY2(ok.finish(), ok.report().constData());
    QCOMPARE(shown, message);
    QCOMPARE(dlg.isVisible(), !message.isEmpty());
    if (message.isEmpty())
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    else
        QCOMPARE(text(&dlg, "edReH"), QString::number(depth)); // left as typed
}

void TestSetup::resampleTinyMoveDistance()
{
    // A parameter file may carry a move distance below one centimetre.
    for (int move : {0, 5, -20}) {
        QCOMPARE(ResampleRules::check(503, 500, 20000, move), ResampleRules::Verdict::Accepted);
        QCOMPARE(ResampleRules::check(499, 500, 20000, move), ResampleRules::Verdict::OutOfRange);
    }
    QCOMPARE(ResampleRules::check(530, 500, 20000, 150), ResampleRules::Verdict::Accepted);
    QCOMPARE(ResampleRules::check(520, 500, 20000, 150), ResampleRules::Verdict::NotMultiple);
    QCOMPARE(ResampleRules::check(2147483647, -2147483647 - 1, 2147483647, 10),
             ResampleRules::Verdict::OutOfRange);
}

void TestSetup::locationDiagramGeometry()
{
    const LocationPic::Geometry g = LocationPic::geometry(300, 200);
    QCOMPARE(g.cx, 164);
    QCOMPARE(g.cy, 99);
    QCOMPARE(g.radius, 79);
    // A tall widget takes its radius from the width.
    const LocationPic::Geometry tall = LocationPic::geometry(100, 400);
    QCOMPARE(tall.cx, 64);
    QCOMPARE(tall.radius, (4 * (64 - 30)) / 5);

    CLocationPic pic;
    pic.SetTubeParams(0, 10);
    QCOMPARE(pic.tubeCount(), 1);
    pic.SetTubeParams(9, 10);
    QCOMPARE(pic.tubeCount(), 5);
    pic.resize(300, 200);
    QImage img(300, 200, QImage::Format_ARGB32);
    img.fill(Qt::black);
    pic.SetColors(QColor(236, 238, 242), Qt::white);
    pic.SetTubeParams(4, 0);
    pic.render(&img);
    // Inside the circle the fill, outside the background, and the top dot
    // on the rim in the line colour.
    QCOMPARE(QColor(img.pixel(184, 139)), QColor(Qt::white));
    QCOMPARE(QColor(img.pixel(290, 190)), QColor(236, 238, 242));
    QCOMPARE(QColor(img.pixel(164, 99 - 79)), QColor(50, 124, 255));
    // Turned by 90 degrees the first dot sits at the right of the circle.
    pic.SetTubeParams(1, 90);
    img.fill(Qt::black);
    pic.render(&img);
    QCOMPARE(QColor(img.pixel(164 + 79, 99)), QColor(50, 124, 255));
    QCOMPARE(QColor(img.pixel(164 - 30, 99)), QColor(Qt::white));
}

void TestSetup::locationDiagramAnchors()
{
    LocationPic::Geometry g;
    g.cx = 200;
    g.cy = 150;
    g.radius = 100;
    QCOMPARE(LocationPic::labelAnchor(g, 0), QPoint(200, 51));
    QCOMPARE(LocationPic::labelAnchor(g, 90), QPoint(299, 150));
    QCOMPARE(LocationPic::labelAnchor(g, 180), QPoint(200, 250));
    QCOMPARE(LocationPic::labelAnchor(g, 270), QPoint(101, 150));
    QCOMPARE(LocationPic::labelOffset(0), QPoint(10, -15));
    QCOMPARE(LocationPic::labelOffset(90), QPoint(10, 0));
    QCOMPARE(LocationPic::labelOffset(180), QPoint(-20, 0));
    QCOMPARE(LocationPic::labelOffset(270), QPoint(-20, -15));
    QCOMPARE(LocationPic::label(1), QStringLiteral("Y'"));
    QCOMPARE(LocationPic::label(4), QStringLiteral("H"));
}

QTEST_MAIN(TestSetup)
#include "tst_setup.moc"
