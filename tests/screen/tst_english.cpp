// The English screens: the English catalogue installed as the program
// installs it, every dialog opened the way the operator meets it, and no
// Chinese character in anything a dialog shows except the operator's own
// data (project, organisation and hole names, which this test makes Chinese
// on purpose so that they show up when they are shown).
//
// For a look at the screens, ZPVW_SHOTS_DIR=DIR saves a picture of every
// dialog the test looks at; ZPVW_SHOTS_STYLE=1 picks the dark theme and
// ZPVW_SHOTS_SMALL=1 the 800x600 model.

#include "buttontextfit.h"
#include "showntexts.h"

#include "acqstate.h"
#include "cdlgexportfile.h"
#include "cdlgfileopt.h"
#include "cdlgleak.h"
#include "cdlgmsgbox.h"
#include "cdlgmsgquestion.h"
#include "cdlgnumkey.h"
#include "cdlgprogress.h"
#include "cdlgresample.h"
#include "cdlgsavemsg.h"
#include "cdlgselkey.h"
#include "cdlgset.h"
#include "ctrlinfo.h"
#include "device.h"
#include "dlginfo.h"
#include "dlgmain.h"
#include "frmmessagebox.h"
#include "holefile.h"
#include "itemtexts.h"
#include "recordstyle.h"
#include "keyboard.h"
#include "mainrules.h"
#include "modalanswer.h"
#include "paramfile.h"
#include "platform.h"
#include "querythread.h"
#include "resamplerules.h"
#include "setuprules.h"
#include "sysconfig.h"
#include "testrecord.h"
#include "testsession.h"
#include "screentestworld.h"
#include "testsupport.h"
#include "usbexport.h"
#include "winchaddress.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTranslator>
#include <QtTest>
#include <memory>

namespace {

const QString kProject = QStringLiteral("跨江大桥");
const QString kHole = QStringLiteral("桩七");
const QString kBuilder = QStringLiteral("中铁三局");
const QString kTester = QStringLiteral("张工");
const QStringList kUserData{kProject, kHole, kBuilder, kTester};

QPushButton *button(QWidget *w, const char *name) { return w->findChild<QPushButton *>(QString::fromLatin1(name)); }

// Clicks the enabled push button showing the text (selection grid).
bool clickButtonWithText(QWidget *w, const QString &text)
{
    for (QPushButton *b : w->findChildren<QPushButton *>()) {
        if (wholeButtonText(b) == text && b->isEnabled() && b->isVisible()) {
            QTest::mouseClick(b, Qt::LeftButton);
            return true;
        }
    }
    return false;
}

} // namespace

class TestEnglish : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void checkerSeesPaintedChinese();
    void inputAndMessageDialogs();
    void setupDialog();
    void leakAndResampleDialogs();
    void browserAndFileDialogs();
    void saveDialog();
    void programMessages_data();
    void programMessages();
    void mainDialogThroughATest();

private:
    // Records the Chinese texts the widget shows, under the widget's name.
    void look(QWidget *w, const QString &where);
    // The same for the next modal dialog of the class, answered by `then`.
    std::shared_ptr<ModalAnswer> lookAtNextModal(const char *className, const QString &where,
                                                 std::function<void(QWidget *)> then, int timeoutMs = 5000);
    void fillUserData(CtrlInfo &info) const;

    QTranslator m_translator;
    SilentWinch m_winch;
    std::unique_ptr<ScreenTestWorld> m_world;
    QStringList m_found;   // "where: text" of every Chinese text seen
    QStringList m_looked;  // where the test looked
};

void TestEnglish::initTestCase()
{
    // As the program does: the compiled-in catalogue, installed for the
    // English setting.
    QVERIFY(m_translator.load(QStringLiteral(":/Language/English.qm")));
    QVERIFY(QCoreApplication::installTranslator(&m_translator));
    QVERIFY(m_winch.start());
}

void TestEnglish::cleanupTestCase()
{
    QCoreApplication::removeTranslator(&m_translator);
    m_winch.stop();
}

void TestEnglish::init()
{
    m_world = std::make_unique<ScreenTestWorld>();
    language = 1;
    m_found.clear();
    m_looked.clear();
    style = qEnvironmentVariableIntValue("ZPVW_SHOTS_STYLE") == 1 ? 1 : 0;
    if (qEnvironmentVariableIntValue("ZPVW_SHOTS_SMALL") == 1)
        QVERIFY(QDir().mkpath(m_world->file(QStringLiteral("8.4"))));
}

void TestEnglish::cleanup()
{
    m_world.reset();
    resetSysBaseConfig();
}

void TestEnglish::fillUserData(CtrlInfo &info) const
{
    info.projectName = kProject;
    info.projectPath = kProject;
    info.holeNo = kHole;
    info.constructionUnit = kBuilder;
    info.tester = kTester;
    info.dataDir = m_world->file(QStringLiteral("ZPV_CZL-FILE"));
}

void TestEnglish::look(QWidget *w, const QString &where)
{
    m_looked << where;
    // Lay out texts set since the last turn of the event loop, as the
    // screen would before showing them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QString shots = qEnvironmentVariable("ZPVW_SHOTS_DIR");
    if (!shots.isEmpty() && QDir().mkpath(shots)) {
        static int shot = 0;
        QString name = where;
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
        w->grab().save(QStringLiteral("%1/%2-%3.png").arg(shots).arg(++shot, 2, 10, QLatin1Char('0')).arg(name));
    }
    const QStringList texts = shownTexts(w);
    if (texts.isEmpty())
        m_found << where + QStringLiteral(": shows no text at all");
    for (const QString &t : hanTextsExcept(texts, kUserData))
        m_found << where + QStringLiteral(": ") + t;
}

std::shared_ptr<ModalAnswer> TestEnglish::lookAtNextModal(const char *className, const QString &where,
                                                          std::function<void(QWidget *)> then, int timeoutMs)
{
    return answerNextModal(className, [this, where, then](QWidget *w) {
        look(w, where);
        then(w);
    }, timeoutMs);
}

// The checker itself: a Chinese text painted by a label, a button or a
// custom paint, or held as a combo item, is seen; user data is not.
void TestEnglish::checkerSeesPaintedChinese()
{
    QWidget w;
    w.resize(300, 200);
    auto *b = new QPushButton(QStringLiteral("确定"), &w);
    b->setGeometry(0, 0, 100, 40);
    auto *combo = new QComboBox(&w);
    combo->addItems({QStringLiteral("OK"), QStringLiteral("合格")});
    combo->setGeometry(0, 50, 100, 30);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QStringList texts = shownTexts(&w);
    QVERIFY(texts.contains(QStringLiteral("确定")));
    QVERIFY(texts.contains(QStringLiteral("OK")));
    const QStringList chinese = hanTextsExcept(texts, {});
    QCOMPARE(QSet<QString>(chinese.begin(), chinese.end()), (QSet<QString>{QStringLiteral("确定"), QStringLiteral("合格")}));
    // User data painted in pieces is still user data.
    QCOMPARE(hanTextsExcept({QStringLiteral("桩"), QStringLiteral("七 "), QStringLiteral("确定")}, kUserData),
             QStringList{QStringLiteral("确定")});
    b->setText(QStringLiteral("Open ") + kProject);
    combo->setItemText(1, QStringLiteral("Qualified"));
    QCOMPARE(hanTextsExcept(shownTexts(&w), kUserData), QStringList());
    b->hide();
    w.setWindowTitle(QStringLiteral("提示"));
    QCOMPARE(hanTextsExcept(shownTexts(&w), {}), QStringList{QStringLiteral("提示")});
}

void TestEnglish::inputAndMessageDialogs()
{
    {
        CDlgNumKey dlg(QCoreApplication::translate("CDlgSet", "孔深"), QStringLiteral("20.00"), 0, 200, nullptr);
        dlg.show();
        look(&dlg, QStringLiteral("numeric keypad"));
    }
    {
        keyboard kb(kProject, QCoreApplication::translate("CDlgSet", "工程名称："), nullptr);
        kb.show();
        look(&kb, QStringLiteral("keyboard"));
    }
    {
        CDlgSelKey dlg;
        dlg.m_strTitle = QCoreApplication::translate("CDlgSet", "采集提升方式");
        for (int i = 0; i < 5; ++i)
            dlg.m_strItem[i] = SampleModes::text(i);
        dlg.UpdateButtons();
        dlg.show();
        look(&dlg, QStringLiteral("selection"));
    }
    {
        CDlgMsgBox box(QCoreApplication::translate("CDlgMain", "文件保存失败！"), true, nullptr);
        box.show();
        look(&box, QStringLiteral("message box"));
    }
    {
        CDlgMsgQuestion q(QCoreApplication::translate("CDlgMain", "确定要退出吗?"), false, nullptr);
        q.show();
        look(&q, QStringLiteral("question"));
    }
    {
        auto *msg = new frmMessageBox(nullptr);
        msg->SetMessage(QCoreApplication::translate("keyboard", "请输入字符串长度：") + QStringLiteral("1-32"), 0);
        msg->show();
        look(msg, QStringLiteral("notice"));
        msg->close();
    }
    QVERIFY2(m_found.isEmpty(), qPrintable(m_found.join(QLatin1Char('\n'))));
}

void TestEnglish::setupDialog()
{
    CTestSession session;
    CtrlInfo user;
    fillUserData(user);
    user.sampleMode = SampleModes::Manual4;
    session.storeSetup(user);
    CDlgSet dlg(&session);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    look(&dlg, QStringLiteral("set-up"));
    // The user's data is shown as typed, the mode in English.
    const QStringList texts = shownTexts(&dlg);
    QVERIFY(texts.contains(kProject));
    QVERIFY(texts.contains(QStringLiteral("Manual(4s/m)")));
    QVERIFY2(m_found.isEmpty(), qPrintable(m_found.join(QLatin1Char('\n'))));
}

void TestEnglish::leakAndResampleDialogs()
{
    {
        CDlgLeak leak;
        leak.SetHeights(1200, 1500, 20000);
        leak.show();
        look(&leak, QStringLiteral("leak notice"));
    }
    {
        CDlgReSample re(350, 370, 20000, 50);
        re.show();
        look(&re, QStringLiteral("resample"));
    }
    QVERIFY2(m_found.isEmpty(), qPrintable(m_found.join(QLatin1Char('\n'))));
}

void TestEnglish::browserAndFileDialogs()
{
    QWidget main;
    CTestSession session;
    const QString projectDir = session.dataDir() + QLatin1Char('/') + kProject;
    QVERIFY(QDir().mkpath(projectDir));
    CtrlInfo info;
    fillUserData(info);
    info.holeDepth = info.maxDepth = 1000;
    HoleSaveOptions o;
    o.sync = false;
    QVERIFY(saveHoleFile(projectDir + QLatin1Char('/') + kHole + QStringLiteral(".CZO"), info,
                         {{1000, 3.0f, 3.0f}, {900, 4.0f, 4.0f}}, o));

    CDlgExportFile browser(&session, &main);
    browser.show();
    look(&browser, QStringLiteral("browser, projects"));
    QVERIFY(shownTexts(&browser).contains(kProject));
    browser.listMode = 1;
    browser.currentProject = kProject;
    browser.currentPage = 1;
    browser.RefreshList();
    look(&browser, QStringLiteral("browser, hole files"));

    for (const ItemTexts &item : {ItemDescription::project(session.dataDir(), kProject),
                                  ItemDescription::holeFile(projectDir, kHole + QStringLiteral(".CZO"), kHole)}) {
        CDlgFileOpt opt(&main);
        opt.nameText = item.nameText;
        opt.sizeText = item.sizeText;
        opt.timeText = item.timeText;
        opt.SetLabels();
        opt.show();
        look(&opt, QStringLiteral("file operations ") + item.nameText);
    }

    CDlgProgress progress(session.dataDir(), recordFont(session.record(), 2), &browser);
    progress.findChild<QProgressBar *>(QStringLiteral("pBarProgress"))->setRange(0, 4);
    progress.SetValue(1, CUsbExport::fileMessage(kProject, kHole + QStringLiteral(".CZO")));
    progress.show();
    look(&progress, QStringLiteral("export progress"));
    QVERIFY2(m_found.isEmpty(), qPrintable(m_found.join(QLatin1Char('\n'))));
}

void TestEnglish::saveDialog()
{
    QWidget main;
    CTestSession session;
    CDlgSaveMsg save(&session, &main);
    save.allowReturn = 1;
    save.Prepare();
    save.show();
    look(&save, QStringLiteral("end of test"));
    for (QPushButton *b : save.findChildren<QPushButton *>())
        b->hide();
    save.findChild<QWidget *>(QStringLiteral("lbShow"))->show();
    save.SetProgress(40);
    look(&save, QStringLiteral("end of test, saving"));
    QVERIFY2(m_found.isEmpty(), qPrintable(m_found.join(QLatin1Char('\n'))));
}

// Texts the program builds for its messages, notices and questions.
void TestEnglish::programMessages_data()
{
    QTest::addColumn<QString>("text");
    for (int check = 1; check <= 16; ++check)
        QTest::addRow("set-up check %d", check) << SetupRules::checkMessage(check);
    QTest::newRow("resample out of range")
        << ResampleRules::message(ResampleRules::Verdict::OutOfRange, 300, 10000, 100);
    QTest::newRow("resample not a multiple")
        << ResampleRules::message(ResampleRules::Verdict::NotMultiple, 300, 10000, 100);
    QTest::newRow("manual leak point") << manualLeakMessage(10000, 5000, 5200);
    QTest::newRow("export file") << CUsbExport::fileMessage(kProject, kHole + QStringLiteral(".CZO"));
    QTest::newRow("export project") << CUsbExport::projectMessage(kProject);
    QTest::newRow("export file again") << CUsbExport::fileQuestion(kHole);
    QTest::newRow("export project again") << CUsbExport::projectQuestion(kProject);
    QTest::newRow("default organisation") << defaultOrganisationName();
    for (int code = 0; code <= SampleModes::Wireless; ++code)
        QTest::addRow("mode %d", code) << SampleModes::text(code);
}

void TestEnglish::programMessages()
{
    QFETCH(QString, text);
    QVERIFY(!text.isEmpty());
    QVERIFY2(hanTextsExcept({text}, kUserData).isEmpty(), qPrintable(text));
}

// A whole manual test on the real main dialog, every dialog it opens looked
// at on the way: named, raised to the top, saved, reviewed, judged, the
// sediment panel used, the information shown, and the quit question.
void TestEnglish::mainDialogThroughATest()
{
    CtrlInfo params;
    fillUserData(params);
    params.sampleMode = SampleModes::Manual;
    params.holeDepth = params.maxDepth = 500;
    params.moveDistance = 100;
    params.lastHoleNo = kHole;
    QVERIFY(saveTestParams(params));

    auto dlg = std::make_unique<CDlgMain>();
    dlg->setQuitAction([]() {});
    dlg->show();
    dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    dlg->queryThread()->setValueSource([]() { return 12.5f; });
    look(dlg.get(), QStringLiteral("main, idle"));

    // The hole number is unchanged since the last test: the question comes
    // first. Then a name with a slash is refused with a message and the
    // keyboard comes again for the hole's name.
    auto goOn = lookAtNextModal("CDlgMsgQuestion", QStringLiteral("hole number unchanged"),
                                [](QWidget *w) { clickChild(w, "BtnOK"); });
    std::shared_ptr<ModalAnswer> named;
    auto refused = lookAtNextModal("keyboard", QStringLiteral("keyboard, file name"), [this, &named](QWidget *w) {
        lookAtNextModal("CDlgMsgBox", QStringLiteral("invalid file name"), [](QWidget *m) { clickChild(m, "BtnOK"); });
        named = answerNextModal("keyboard", [](QWidget *k) {
            k->findChild<QLineEdit *>(QStringLiteral("valueEdit"))->setText(kHole);
            clickChild(k, "BtnOK");
        });
        w->findChild<QLineEdit *>(QStringLiteral("valueEdit"))->setText(QStringLiteral("a/b"));
        clickChild(w, "BtnOK");
    });
    QTest::mouseClick(button(dlg.get(), "BtnNew"), Qt::LeftButton);
    QVERIFY(goOn->answered);
    QVERIFY(refused->answered);
    QVERIFY(named && named->answered);
    QCOMPARE(uint(dlg->session()->state()), 0xF7000000u);
    QTRY_COMPARE_WITH_TIMEOUT(dlg->session()->samples().size(), 1, 5000);
    look(dlg.get(), QStringLiteral("main, at the bottom"));

    auto saved = lookAtNextModal("CDlgSaveMsg", QStringLiteral("end of test"),
                                 [](QWidget *w) { clickChild(w, "BtnSave"); }, 30000);
    QPushButton *move = button(dlg.get(), "BtnMove");
    for (int step = 1; step <= 6 && !saved->answered; ++step) {
        const int before = dlg->session()->samples().size();
        QTest::mouseClick(move, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(dlg->session()->samples().size() == before + 1 || saved->answered, 5000);
        if (step == 2)
            look(dlg.get(), QStringLiteral("main, raising"));
    }
    QTRY_VERIFY_WITH_TIMEOUT(saved->answered, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(uint(dlg->session()->state()), 0xF0000004u, 20000);
    const QString hole = dlg->session()->record().dataDir.get() + QLatin1Char('/') + kProject + QLatin1Char('/') + kHole
                         + QStringLiteral(".CZO");
    QVERIFY(QFileInfo::exists(hole));

    dlg->OpenFileForReview(hole);
    QVERIFY(dlg->reviewMode());
    look(dlg.get(), QStringLiteral("main, review"));

    auto range = lookAtNextModal("CDlgSelKey", QStringLiteral("range"),
                                 [](QWidget *w) { clickButtonWithText(w, QStringLiteral("100")); });
    QTest::mouseClick(dlg->findChild<QComboBox *>(QStringLiteral("CBRange")), Qt::LeftButton);
    QVERIFY(range->answered);
    auto quality = lookAtNextModal("CDlgSelKey", QStringLiteral("hole quality"),
                                   [](QWidget *w) { clickButtonWithText(w, QStringLiteral("Unqualified")); });
    QTest::mouseClick(dlg->findChild<QComboBox *>(QStringLiteral("CBResult")), Qt::LeftButton);
    QVERIFY(quality->answered);
    QCOMPARE(int(dlg->session()->record().holeQuality), 1);
    dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    auto thickness = lookAtNextModal("CDlgNumKey", QStringLiteral("sediment thickness"), [](QWidget *w) {
        w->findChild<QLineEdit *>(QStringLiteral("EditValue"))->setText(QStringLiteral("12"));
        clickChild(w, "BtnNumKeyOK");
    });
    QTest::mouseClick(dlg->findChild<QLineEdit *>(QStringLiteral("editPly")), Qt::LeftButton);
    QVERIFY(thickness->answered);
    auto info = lookAtNextModal("CDlgInfo", QStringLiteral("information"), [](QWidget *w) { clickChild(w, "BtnOK"); });
    QTest::mouseClick(button(dlg.get(), "BtnInfo"), Qt::LeftButton);
    QVERIFY(info->answered);
    look(dlg.get(), QStringLiteral("main, judged"));

    // Closing the file asks first; so does quitting.
    auto close = lookAtNextModal("CDlgMsgQuestion", QStringLiteral("close file"),
                                 [](QWidget *w) { clickChild(w, "BtnOK"); });
    QTest::mouseClick(button(dlg.get(), "BtnSample"), Qt::LeftButton);
    QVERIFY(close->answered);
    QVERIFY(!dlg->reviewMode());
    auto quit = lookAtNextModal("CDlgMsgQuestion", QStringLiteral("quit"),
                                [](QWidget *w) { clickChild(w, "BtnCancel"); });
    QTest::mouseClick(button(dlg.get(), "BtnQuit"), Qt::LeftButton);
    QVERIFY(quit->answered);
    look(dlg.get(), QStringLiteral("main, after the review"));
    dlg.reset();

    for (const char *where : {"hole number unchanged", "keyboard, file name", "invalid file name", "end of test", "range", "hole quality",
                              "sediment thickness", "information", "close file", "quit"})
        QVERIFY2(m_looked.contains(QLatin1String(where)), where);
    QVERIFY2(m_found.isEmpty(), qPrintable(m_found.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestEnglish)
#include "tst_english.moc"
