// Every text fits its button: every selection grid and every dialog the
// operator meets, in Chinese and in English, on the 1024x768 screen and on
// the 800x600 model. A button's text is measured with the metrics of the
// font the button really paints with: each line's advance against the
// room its contents leave beside the icon, its lines against the
// contents' height, and its size against the smallest readable one.
//
// ZPVW_SHOTS_DIR=DIR also saves a picture of every dialog looked at.

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
#include "commonutils.h"
#include "ctrlinfo.h"
#include "dlginfo.h"
#include "dlgmain.h"
#include "frmmessagebox.h"
#include "holefile.h"
#include "keyboard.h"
#include "modalanswer.h"
#include "recordstyle.h"
#include "screentestworld.h"
#include "testsession.h"
#include "usbexport.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QToolButton>
#include <QTranslator>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// The room a button leaves its text: its contents (border and padding off)
// less the icon and the gap beside it.
QRect textRoom(QAbstractButton *b)
{
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    opt.icon = b->icon();
    opt.iconSize = b->iconSize();
    QRect r = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
    if (qobject_cast<QToolButton *>(b))
        r = b->contentsRect();
    if (!b->icon().isNull())
        r.setWidth(r.width() - b->iconSize().width() - 4);
    return r;
}

// Below this a text is too small to read on the instrument's screen: a
// text that fits only so small wants a second line instead.
constexpr int kReadablePixels = 14;

// What does not fit in `box` of the lines of `text` in `font`, in words.
QString misfit(const QString &text, const QFont &font, const QRect &box)
{
    const QFontMetrics fm(font);
    const QStringList lines = text.split(QLatin1Char('\n'));
    int widest = 0;
    for (const QString &line : lines)
        widest = qMax(widest, fm.horizontalAdvance(line));
    const int tall = fm.height() + (lines.size() - 1) * fm.lineSpacing();
    const int px = QFontInfo(font).pixelSize();
    if (widest <= box.width() && tall <= box.height() && px >= kReadablePixels)
        return QString();
    return QStringLiteral("\"%1\" needs %2x%3 px at %4 px, has %5x%6")
        .arg(QString(text).replace(QLatin1Char('\n'), QLatin1Char('|')), QString::number(widest),
             QString::number(tall), QString::number(px), QString::number(box.width()),
             QString::number(box.height()));
}

// Every shown button's text (and any label inside a button) that is wider
// or taller than its room.
QStringList misfits(QWidget *root)
{
    QStringList found;
    for (QAbstractButton *b : root->findChildren<QAbstractButton *>()) {
        if (!b->isVisibleTo(root) || b->width() <= 0 || !(qobject_cast<QPushButton *>(b) || qobject_cast<QToolButton *>(b)))
            continue;
        b->ensurePolished();
        if (!b->text().isEmpty()) {
            const QString m = misfit(b->text(), b->font(), textRoom(b));
            if (!m.isEmpty())
                found << b->objectName() + QStringLiteral(": ") + m;
        }
        for (QLabel *l : b->findChildren<QLabel *>()) {
            if (!l->isVisibleTo(root) || l->text().isEmpty())
                continue;
            l->ensurePolished();
            const QString m = misfit(l->text(), l->font(), l->contentsRect());
            if (!m.isEmpty())
                found << b->objectName() + QLatin1Char('/') + l->objectName() + QStringLiteral(": ") + m;
        }
    }
    return found;
}

void press(QWidget *w, const char *name)
{
    if (auto *b = w->findChild<QAbstractButton *>(QString::fromLatin1(name)))
        b->click();
}

const QString kProject = QStringLiteral("城南大桥桩基检测工程");

} // namespace

class TestTextFit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void measureSeesClippedText();
    void everyTextFitsItsButton_data();
    void everyTextFitsItsButton();

private:
    using Place = std::function<void(TestTextFit *)>;
    static QMap<QString, Place> places();

    // Lays the widget out at the row's screen and records what does not fit.
    void look(QWidget *w, const QString &where);
    // The same for the next modal dialog of the class, then `then`.
    std::shared_ptr<ModalAnswer> lookAtNext(const char *className, const QString &where,
                                            std::function<void(QWidget *)> then);
    // Looks at the selection grid opened by a touch on `field` of `dlg`.
    void lookAtGrid(QWidget *dlg, const char *field, const QString &where);
    QString makeHoleFiles();

    void mainDialog();
    void mainDialogGrids();
    void setupAndItsGrids();
    void entryAndMessages();
    void testDialogs();
    void browserAndChoosers();

    QTranslator m_translator;
    SilentWinch m_winch;
    std::unique_ptr<ScreenTestWorld> m_world;
    std::unique_ptr<CTestSession> m_session;
    QSize m_screen;
    QStringList m_found;
    QStringList m_looked;
};

void TestTextFit::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/Language/English.qm")));
    QVERIFY(m_winch.start());
}

void TestTextFit::cleanupTestCase() { m_winch.stop(); }

void TestTextFit::init()
{
    m_world = std::make_unique<ScreenTestWorld>();
    m_found.clear();
    m_looked.clear();
}

void TestTextFit::cleanup()
{
    m_session.reset();
    QCoreApplication::removeTranslator(&m_translator);
    language = 0;
    style = 0;
    QKRVCommomUtils::setSmallScreen(false);
    m_world.reset();
    resetSysBaseConfig();
}

void TestTextFit::look(QWidget *w, const QString &where)
{
    m_looked << where;
    if (!w->isVisible())
        w->show();
    // The dialog at the row's screen, laid out as the screen would.
    // (The dialogs that cover the screen; the test's screen is 800x600.)
    if (qobject_cast<CDlgSelKey *>(w) || qobject_cast<CDlgMsgBox *>(w) || qobject_cast<CDlgMsgQuestion *>(w)
        || qobject_cast<CDlgNumKey *>(w))
        w->setGeometry(QRect(w->geometry().topLeft(), m_screen));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QString shots = qEnvironmentVariable("ZPVW_SHOTS_DIR");
    if (!shots.isEmpty() && QDir().mkpath(shots)) {
        QString name = QStringLiteral("%1-%2-%3%4").arg(where, language ? QStringLiteral("en") : QStringLiteral("zh"),
                                                         QString::number(m_screen.width()),
                                                         style ? QStringLiteral("-dark") : QString());
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
        w->grab().save(shots + QLatin1Char('/') + name + QStringLiteral(".png"));
    }
    for (const QString &m : misfits(w))
        m_found << where + QStringLiteral(": ") + m;
}

std::shared_ptr<ModalAnswer> TestTextFit::lookAtNext(const char *className, const QString &where,
                                                     std::function<void(QWidget *)> then)
{
    return answerNextModal(className, [this, where, then](QWidget *w) {
        look(w, where);
        then(w);
    });
}

void TestTextFit::lookAtGrid(QWidget *dlg, const char *field, const QString &where)
{
    auto grid = lookAtNext("CDlgSelKey", where, [](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); });
    QWidget *f = dlg->findChild<QWidget *>(QString::fromLatin1(field));
    QVERIFY2(f, field);
    dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dlg, 2000));
    QTest::mouseClick(f, Qt::LeftButton, Qt::NoModifier, QPoint(10, f->height() / 2));
    QVERIFY2(grid->answered, qPrintable(where));
}

// The hole Z17 of the project, tested twice: its hole files' folder.
QString TestTextFit::makeHoleFiles()
{
    const QString dir = m_session->dataDir() + QLatin1Char('/') + kProject;
    QDir().mkpath(dir);
    CtrlInfo info;
    info.projectName = info.projectPath = kProject;
    info.holeNo = QStringLiteral("Z17");
    info.holeDepth = info.maxDepth = 1000;
    info.sedimentThickness = 30;
    info.acceptance.designLimitMm = 100;
    info.acceptance.limitMm = 100;
    info.acceptance.verdict = AcceptanceVerdict::Fail;
    HoleSaveOptions o;
    o.sync = false;
    info.acceptance.sequence = 0;
    for (const char *name : {"Z17.CZO", "Z17-2.CZO"}) {
        ++info.acceptance.sequence;
        saveHoleFile(dir + QLatin1Char('/') + QLatin1String(name), info, {{1000, 3.0f, 3.0f}, {900, 4.0f, 4.0f}}, o);
    }
    return dir;
}

// The measurement screen in every state its command buttons name, and
// with a file open for review.
void TestTextFit::mainDialog()
{
    auto dlg = std::make_unique<CDlgMain>();
    dlg->setQuitAction([]() {});
    dlg->setFixedSize(m_screen);
    dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
    for (uint state : {AcqState::Idle, AcqState::FileShown, AcqState::Reading, AcqState::AtBottom, AcqState::Raising,
                       AcqState::Raising | AcqState::SubPaused, AcqState::End}) {
        dlg->SetBtnTextByState(state);
        look(dlg.get(), QStringLiteral("main %1").arg(state, 8, 16));
    }
    m_session = std::make_unique<CTestSession>();
    dlg->OpenFileForReview(makeHoleFiles() + QStringLiteral("/Z17.CZO"));
    QVERIFY(dlg->reviewMode());
    look(dlg.get(), QStringLiteral("main, review"));
}

// The grids of the sediment panel, and the override's question and reason.
void TestTextFit::mainDialogGrids()
{
    m_session = std::make_unique<CTestSession>();
    const QString dir = makeHoleFiles();
    auto dlg = std::make_unique<CDlgMain>();
    dlg->setQuitAction([]() {});
    dlg->setFixedSize(m_screen);
    dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
    dlg->OpenFileForReview(dir + QStringLiteral("/Z17.CZO"));
    QVERIFY(dlg->reviewMode());
    const auto reject = [](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); };
    for (const char *combo : {"CBRange", "CBMagnify"}) {
        auto grid = lookAtNext("CDlgSelKey", QLatin1String(combo), reject);
        QTest::mouseClick(dlg->findChild<QComboBox *>(QLatin1String(combo)), Qt::LeftButton);
        QVERIFY2(grid->answered, combo);
    }
    // Qualified against the failed verdict: the question, then the reasons.
    std::shared_ptr<ModalAnswer> question, reason;
    auto quality = lookAtNext("CDlgSelKey", QStringLiteral("hole quality"), [&](QWidget *w) {
        question = lookAtNext("CDlgMsgQuestion", QStringLiteral("override question"), [&](QWidget *q) {
            reason = lookAtNext("CDlgSelKey", QStringLiteral("override reason"), reject);
            press(q, "BtnOK");
        });
        press(w, "Btn1");
    });
    QTest::mouseClick(dlg->findChild<QComboBox *>(QStringLiteral("CBResult")), Qt::LeftButton);
    QVERIFY(quality->answered);
    QVERIFY(question && question->answered);
    QVERIFY(reason && reason->answered);
    auto info = lookAtNext("CDlgInfo", QStringLiteral("information"), [](QWidget *w) { press(w, "BtnOK"); });
    QTest::mouseClick(dlg->findChild<QPushButton *>(QStringLiteral("BtnInfo")), Qt::LeftButton);
    QVERIFY(info->answered);
}

// The set-up dialog and every grid it opens.
void TestTextFit::setupAndItsGrids()
{
    m_session = std::make_unique<CTestSession>();
    CtrlInfo shown;
    shown.projectName = kProject;
    shown.holeNo = QStringLiteral("12#");
    shown.acceptance.code = QStringLiteral("JGJ 94-2008");
    shown.acceptance.pileType = QStringLiteral("抗拔、抗水平力桩");
    m_session->storeSetup(shown);
    CDlgSet dlg(m_session.get());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    look(&dlg, QStringLiteral("set-up"));
    lookAtGrid(&dlg, "editBasis", QStringLiteral("basis grid"));
    lookAtGrid(&dlg, "CBPosition", QStringLiteral("position grid"));
    lookAtGrid(&dlg, "CBSampleMode", QStringLiteral("sampling mode grid"));
    lookAtGrid(&dlg, "CBMove", QStringLiteral("move distance grid"));
}

void TestTextFit::entryAndMessages()
{
    {
        CDlgNumKey dlg(QCoreApplication::translate("CDlgSet", "孔深"), QStringLiteral("20.00"), 0, 200, nullptr);
        look(&dlg, QStringLiteral("numeric keypad"));
    }
    {
        keyboard kb(kProject, QCoreApplication::translate("CDlgSet", "工程名称："), nullptr);
        look(&kb, QStringLiteral("keyboard"));
    }
    {
        CDlgMsgBox box(QCoreApplication::translate("CDlgMain", "文件保存失败！"), true, nullptr);
        look(&box, QStringLiteral("message box"));
    }
    {
        CDlgMsgQuestion q(QCoreApplication::translate("CDlgMain", "确定要退出吗?"), false, nullptr);
        look(&q, QStringLiteral("question"));
    }
    {
        auto *msg = new frmMessageBox(nullptr);
        msg->SetMessage(QCoreApplication::translate("keyboard", "请输入字符串长度：") + QStringLiteral("1-32"), 0);
        look(msg, QStringLiteral("notice"));
        msg->close();
    }
}

// Leak notice, resample, end of test.
void TestTextFit::testDialogs()
{
    {
        CDlgLeak leak;
        leak.setPauseOfferDelayMs(0);
        leak.SetHeights(1200, 1500, 20000);
        look(&leak, QStringLiteral("leak notice"));
    }
    {
        CDlgReSample re(350, 370, 20000, 50);
        look(&re, QStringLiteral("resample"));
    }
    QWidget main;
    m_session = std::make_unique<CTestSession>();
    CDlgSaveMsg save(m_session.get(), &main);
    save.allowReturn = 1;
    save.Prepare();
    look(&save, QStringLiteral("end of test"));
}

// The browser, its operation chooser for a project and for a hole, the
// grid of a hole's tests and the export's progress.
void TestTextFit::browserAndChoosers()
{
    QWidget main;
    m_session = std::make_unique<CTestSession>();
    makeHoleFiles();
    CDlgExportFile browser(m_session.get(), &main);
    look(&browser, QStringLiteral("browser, projects"));
    auto project = lookAtNext("CDlgFileOpt", QStringLiteral("project operations"), [](QWidget *w) { press(w, "BtnReturn"); });
    QTest::mousePress(browser.itemButtons.at(0), Qt::LeftButton);
    QVERIFY(project->answered);
    browser.listMode = 1;
    browser.currentProject = kProject;
    browser.currentPage = 1;
    browser.RefreshList();
    look(&browser, QStringLiteral("browser, hole files"));
    // A hole tested twice offers its tests first, then the chooser.
    std::shared_ptr<ModalAnswer> hole;
    auto tests = lookAtNext("CDlgSelKey", QStringLiteral("a hole's tests"), [&](QWidget *w) {
        hole = lookAtNext("CDlgFileOpt", QStringLiteral("hole operations"), [](QWidget *o) { press(o, "BtnReturn"); });
        press(w, "Btn1");
    });
    QTest::mousePress(browser.itemButtons.at(0), Qt::LeftButton);
    QVERIFY(tests->answered);
    QVERIFY(hole && hole->answered);

    CDlgProgress progress(m_session->dataDir(), recordFont(m_session->record(), 2), &browser);
    progress.findChild<QProgressBar *>(QStringLiteral("pBarProgress"))->setRange(0, 4);
    progress.SetValue(1, CUsbExport::fileMessage(kProject, QStringLiteral("Z17.CZO")));
    look(&progress, QStringLiteral("export progress"));
}

QMap<QString, TestTextFit::Place> TestTextFit::places()
{
    return {{QStringLiteral("main dialog"), &TestTextFit::mainDialog},
            {QStringLiteral("main dialog's grids"), &TestTextFit::mainDialogGrids},
            {QStringLiteral("set-up and its grids"), &TestTextFit::setupAndItsGrids},
            {QStringLiteral("entry and messages"), &TestTextFit::entryAndMessages},
            {QStringLiteral("test dialogs"), &TestTextFit::testDialogs},
            {QStringLiteral("browser and choosers"), &TestTextFit::browserAndChoosers}};
}

// The measure itself: a word wider than its button is seen, on one line
// or on the second; the same text broken in two fits; a third line that
// the height cannot hold is seen, and so is a font too small to read.
void TestTextFit::measureSeesClippedText()
{
    QWidget w;
    w.resize(400, 200);
    auto *b = new QPushButton(QStringLiteral("Project summary"), &w);
    const QFontMetrics fm(b->font());
    b->setGeometry(0, 0, fm.horizontalAdvance(QStringLiteral("Project summary")) / 2 + 20, fm.lineSpacing() * 2 + 16);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(misfits(&w).size(), 1);
    b->setText(QStringLiteral("Project\nsummary"));
    QCOMPARE(misfits(&w), QStringList());
    b->setText(QStringLiteral("Project\nsummaryyyyyyyyyyyyy"));
    QCOMPARE(misfits(&w).size(), 1);
    b->setText(QStringLiteral("Project\nsum\nmary"));
    QCOMPARE(misfits(&w).size(), 1);
    // Fitting, but too small to read.
    b->setText(QStringLiteral("Project\nsummary"));
    b->setStyleSheet(QStringLiteral("font-size: 10px;"));
    QCOMPARE(misfits(&w).size(), 1);
}

void TestTextFit::everyTextFitsItsButton_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<int>("lang");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("theme");
    const QStringList names = places().keys();
    for (const QString &name : names)
        for (int lang = 0; lang < 2; ++lang)
            for (const QSize size : {QSize(1024, 768), QSize(800, 600)})
                QTest::addRow("%s, %s, %dx%d", qPrintable(name), lang ? "English" : "Chinese", size.width(),
                              size.height())
                    << name << lang << size << 0;
    // The dark theme's sheets draw the same buttons; its own padding and
    // fonts must leave the same room.
    for (const QString &name : names)
        QTest::addRow("%s, English, 800x600, dark", qPrintable(name)) << name << 1 << QSize(800, 600) << 1;
}

void TestTextFit::everyTextFitsItsButton()
{
    QFETCH(QString, place);
    QFETCH(int, lang);
    QFETCH(QSize, screen);
    QFETCH(int, theme);
    style = theme;
    language = lang;
    if (lang == 1)
        QVERIFY(QCoreApplication::installTranslator(&m_translator));
    m_screen = screen;
    QKRVCommomUtils::setSmallScreen(screen.width() <= 800);
    places().value(place)(this);
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(!m_looked.isEmpty(), "looked at nothing");
    QVERIFY2(m_found.isEmpty(), qPrintable(m_found.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestTextFit)
#include "tst_textfit.moc"
