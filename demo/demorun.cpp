#include "demorun.h"

#include "pilelimits.h"
#include "projectsummary.h"

#include "demoinput.h"
#include "screenshot.h"

#include "acqstate.h"
#include "appmodel.h"
#include "ctrlinfo.h"
#include "filenames.h"
#include "holefile.h"
#include "querythread.h"
#include "testrecord.h"

#include "cdlgexportfile.h"
#include "cdlgnumkey.h"
#include "cdlgselkey.h"
#include "dlgmain.h"
#include "testsession.h"
#include "uploadsender.h"
#include "uploadwait.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {
constexpr int kWatchMs = 20;
constexpr int kWaitSliceMs = 20;
constexpr int kSettleMs = 300;
constexpr int kHardLimitGraceSeconds = 30;

QString tr(const char *context, const char *text) { return QCoreApplication::translate(context, text); }

// The texts under which a sampling mode may be offered: the set-up's own
// catalogue entry, the control record's, or the source text.
QStringList modeTexts(int code)
{
    const QString source = SampleModes::sourceText(code);
    const QByteArray utf8 = source.toUtf8();
    QStringList texts{tr("CDlgSet", utf8.constData()), SampleModes::text(code), source};
    texts.removeDuplicates();
    return texts;
}

QString oneLine(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.simplified();
}
}

CDemoRun::CDemoRun(CDlgMain &dlg, const AppOptions &options, QObject *parent)
    : QObject(parent), m_dlg(dlg), m_opt(options)
{
    m_verbose = !QProcessEnvironment::systemEnvironment().value(QStringLiteral("ZPVW_DEMO_VERBOSE")).isEmpty();
    m_answerer.ignore(&m_dlg);
    connect(&m_answerer, &ModalAnswerer::unexpectedDialog, this, &CDemoRun::failOnUnexpected);
    connect(&m_answerer, &ModalAnswerer::budgetSpent, this, [this] {
        fail(QStringLiteral("not finished within %1 s (%2)").arg(QString::number(m_opt.maxSeconds), stepState()));
    });
}

CDemoRun::~CDemoRun() = default;

int CDemoRun::exec()
{
    // The last word on the time limit: should the program hang where no
    // event is handled any more, the process ends anyway.
    const auto hardLimit = std::chrono::seconds(m_opt.maxSeconds + kHardLimitGraceSeconds);
    std::thread([hardLimit] {
        std::this_thread::sleep_for(hardLimit);
        fputs("zpvw --demo: the program hangs; ended\n", stderr);
        std::_Exit(3);
    }).detach();
    m_clock.start();
    m_answerer.start(m_opt.maxSeconds * 1000, kWatchMs);
    m_dlg.show();
    QTimer::singleShot(0, this, &CDemoRun::drive);
    m_dlg.exec();
    m_answerer.finish();
    if (m_failed)
        fprintf(stderr, "zpvw --demo: %s\n", qUtf8Printable(oneLine(m_failure)));
    else if (m_sender)
        awaitUpload();
    return m_status;
}

void CDemoRun::waitForUpload(CUploadSender *sender, const QString &archive)
{
    m_sender = sender;
    m_archive = archive;
}

void CDemoRun::awaitUpload()
{
    const qint64 limitMs = qint64(m_opt.maxSeconds) * 1000;
    while (m_sender && m_clock.elapsed() < limitMs && !uploadWaitOver(m_sender->waiting(), m_sender->status())) {
        QEventLoop loop;
        QTimer::singleShot(kWaitSliceMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!m_sender)
        return;
    // "Demo/DEMO1.CZO", readable where the folder is named in GBK.
    const QFileInfo hole(FileNames::shown(m_holePath));
    const QString test = hole.dir().dirName() + QLatin1Char('/') + hole.fileName();
    const int waiting = m_sender->waiting();
    const QString line = uploadWaitLine(test, m_archive, waiting, m_sender->status());
    fprintf(waiting == 0 ? stdout : stderr, "%s\n", line.toUtf8().constData());
    fflush(waiting == 0 ? stdout : stderr);
}

// ---------------------------------------------------------------- the run

void CDemoRun::drive()
{
    using Step = void (CDemoRun::*)();
    struct Named {
        const char *name;
        Step step;
        bool wanted;
    };
    const Named steps[] = {
        {"set-up", &CDemoRun::setUp, true},
        {"new test", &CDemoRun::newTest, true},
        {"raising", &CDemoRun::raise, true},
        {"saved file", &CDemoRun::checkSavedFile, true},
        {"review", &CDemoRun::reviewAndJudge, m_opt.judge},
        {"screenshot", &CDemoRun::takeScreenshot, !m_opt.screenshot.isEmpty()},
        {"closing the file", &CDemoRun::closeReview, true},
    };
    for (const Named &s : steps) {
        if (!s.wanted)
            continue;
        m_step = QString::fromLatin1(s.name);
        note(m_step);
        (this->*s.step)();
        if (m_failed)
            break;
    }
    if (!m_failed) {
        m_status = 0;
        // Readable (UTF-8) even where the folder's name is in GBK: the office
        // tools find the file under this name.
        fprintf(stdout, "%s\n", FileNames::shown(m_holePath).toUtf8().constData());
        fflush(stdout);
        m_step = QStringLiteral("quit");
        quit();
        if (!m_failed)
            return;
    }
    m_status = 1;
    expectNothing();
    if (m_dlg.queryThread())
        m_dlg.queryThread()->stop();
    m_dlg.done(QDialog::Rejected);
}

void CDemoRun::setUp()
{
    m_hole = m_opt.hole.isEmpty() ? firstFreeHoleName() : m_opt.hole;
    if (m_hole.isEmpty()) {
        fail(QStringLiteral("no free hole name DEMO1 ... DEMO9999 in project %1").arg(m_opt.project));
        return;
    }
    // A hole tested before gets its next test (Z17-2, ...), as the keyboard
    // proposes it: no file is ever overwritten.
    const QString projectDir = m_dlg.session()->record().dataDir.get() + QLatin1Char('/') + m_opt.project;
    m_testName = nextFreeTestName(m_hole, QDir(projectDir).entryList({QStringLiteral("*.") + fileExt}, QDir::Files));
    if (m_testName != m_hole)
        note(QStringLiteral("hole %1 was tested before: this test is %2").arg(m_hole, m_testName));
    expect("CDlgSet", [this](QWidget *w) { answerSetup(w); });
    expect("keyboard", [this](QWidget *w) { answerKeyboard(w); });
    expect("CDlgNumKey", [this](QWidget *w) { answerKeypad(w); });
    expect("CDlgSelKey", [this](QWidget *w) { answerChoice(w); });
    // "The hole depth is above the elevation: make them equal?"
    expect("CDlgMsgQuestion", [this](QWidget *w) { answerQuestion(w); });
    if (!pressMain("BtnSet"))
        return;
    expectNothing();
    if (m_failed)
        return;
    QStringList wrong;
    if (m_dlg.session()->record().projectName.get() != m_opt.project)
        wrong << QStringLiteral("project name");
    if (m_dlg.session()->record().projectPath.get() != m_opt.project)
        wrong << QStringLiteral("project folder");
    if (m_dlg.session()->record().holeNo.get() != m_hole)
        wrong << QStringLiteral("hole number");
    if (m_dlg.session()->record().maxDepth != m_opt.depthMm || m_dlg.session()->record().holeDepth != m_opt.depthMm)
        wrong << QStringLiteral("depth");
    if (m_dlg.session()->record().moveDistance != m_opt.moveMm)
        wrong << QStringLiteral("move distance");
    if (m_dlg.session()->record().sampleMode != m_opt.modeCode)
        wrong << QStringLiteral("mode");
    const HoleAcceptance &a = m_dlg.session()->record().acceptance;
    if (a.designLimitMm != m_opt.limitMm || (!m_opt.basis.isEmpty() && basisLabel(a) != m_opt.basis)
        || (m_opt.basis.isEmpty() && m_opt.limitMm <= 0 && a.hasBasis()))
        wrong << QStringLiteral("acceptance basis");
    if (a.position != m_opt.position)
        wrong << QStringLiteral("measuring position");
    if (!wrong.isEmpty())
        fail(QStringLiteral("the set-up was not stored (%1)").arg(wrong.join(QStringLiteral(", "))));
}

void CDemoRun::newTest()
{
    // With the winch raising, an operator starts once the screen shows the
    // probe link up (the link reports itself at its liveness checks).
    if (m_opt.modeCode == SampleModes::AutoRaise) {
        note(QStringLiteral("waiting for the winch link"));
        if (!waitFor([] { return CAppModel::instance()->isLinkConnected(); }))
            return;
    }
    m_pendingText = m_testName;
    expect("keyboard", [this](QWidget *w) { answerKeyboard(w); });
    // "The hole number did not change: continue?"
    expect("CDlgMsgQuestion", [this](QWidget *w) { answerQuestion(w); });
    if (!pressMain("BtnNew"))
        return;
    expectNothing();
    if (m_failed)
        return;
    if (AcqState::code(m_dlg.session()->state()) != AcqState::AtBottom) {
        fail(QStringLiteral("the test did not start (state 0x%1)").arg(uint(m_dlg.session()->state()), 8, 16, QLatin1Char('0')));
        return;
    }
    m_holePath = m_dlg.session()->record().filePath.get();
    shoot(&m_dlg, QStringLiteral("main-named"), true);
}

void CDemoRun::raise()
{
    m_saveAnswered = false;
    expect("CDlgSaveMsg", [this](QWidget *w) { answerSave(w); });
    // The leak notice of the automatic modes closes itself once the winch
    // is back at the point.
    m_answerer.watch("CDlgLeak", {});
    const int points = m_opt.depthMm / m_opt.moveMm + 1;
    auto saved = [this] {
        return m_saveAnswered && !QApplication::activeModalWidget() && AcqState::code(m_dlg.session()->state()) == AcqState::Idle;
    };
    auto progress = [this, points] {
        if (!m_midShotTaken && !m_opt.shotsDir.isEmpty() && m_dlg.session()->samples().size() >= points / 2 + 1) {
            m_midShotTaken = true;
            note(stepState());
            shoot(&m_dlg, QStringLiteral("main-raising"));
        }
    };

    if (m_opt.modeCode != SampleModes::AutoRaise) {
        // The sample at the bottom comes first; a move before it would skip
        // the first point.
        if (!waitFor([this] { return m_dlg.session()->samples().size() >= 1; }))
            return;
        auto *move = m_dlg.findChild<QAbstractButton *>(QStringLiteral("BtnMove"));
        const bool paced = m_opt.modeCode != SampleModes::Manual;
        // Manual: one press per point; paced: one press leaves the bottom and
        // the pace timer does the rest.
        const int presses = paced ? 1 : points + 2;
        for (int press = 0; press < presses && !m_saveAnswered; ++press) {
            if (!waitFor([this, move] {
                    return m_saveAnswered || AcqState::code(m_dlg.session()->state()) == AcqState::End
                           || (move && move->isEnabled());
                }))
                return;
            if (m_saveAnswered || AcqState::code(m_dlg.session()->state()) == AcqState::End)
                break;
            const int before = m_dlg.session()->samples().size();
            if (!pressMain("BtnMove"))
                return;
            if (!waitFor([this, before] { return m_saveAnswered || m_dlg.session()->samples().size() > before; }))
                return;
            progress();
        }
    }
    waitFor([&] {
        progress();
        return saved();
    });
}

void CDemoRun::checkSavedFile()
{
    expectNothing();
    CtrlInfo info;
    const HoleLoadResult r = readHoleFile(m_holePath, info);
    if (!r.ok) {
        fail(QStringLiteral("the hole file %1 cannot be read back: %2").arg(m_holePath, r.errorText()));
        return;
    }
    if (r.samples.isEmpty()) {
        fail(QStringLiteral("the hole file %1 holds no samples").arg(m_holePath));
        return;
    }
    m_savedSamples = r.samples.size();
    note(QStringLiteral("%1 samples saved in %2").arg(QString::number(m_savedSamples), m_holePath));
    shoot(&m_dlg, QStringLiteral("main-saved"), true);
}

void CDemoRun::reviewAndJudge()
{
    expect("CDlgExportFile", [this](QWidget *w) { answerBrowser(w); });
    expect("CDlgFileOpt", [this](QWidget *w) { answerFileOperation(w); });
    expect("CDlgSelKey", [this](QWidget *w) { answerChoice(w); }); // a hole's tests
    if (!pressMain("BtnFile"))
        return;
    expectNothing();
    if (m_failed)
        return;
    if (!m_dlg.reviewMode() || QFileInfo(m_dlg.openFile()) != QFileInfo(m_holePath)) {
        fail(QStringLiteral("the browser did not open %1 for review").arg(m_holePath));
        return;
    }
    const QVector<Sample> shown = m_dlg.session()->samples().snapshot();
    int nearest = -1;
    for (int i = 0; i < shown.size(); ++i) {
        if (nearest < 0 || std::abs(shown.at(i).depth - m_opt.judgeDepthMm)
                               < std::abs(shown.at(nearest).depth - m_opt.judgeDepthMm))
            nearest = i;
    }
    if (nearest < 0) {
        fail(QStringLiteral("the reviewed file shows no samples"));
        return;
    }
    // A press on the table row: the table reports it, the dialog marks it.
    QWidget *table = m_dlg.findChild<QWidget *>(QStringLiteral("table"));
    const QString cell = QString::number(shown.at(nearest).depth / 1000.0, 'f', 2);
    if (!table || !QMetaObject::invokeMethod(table, "SetMouseClick", Q_ARG(int, nearest + 1), Q_ARG(int, 1),
                                             Q_ARG(QString, cell), Q_ARG(int, 2))) {
        fail(QStringLiteral("the table does not take a press"));
        return;
    }
    if (m_dlg.session()->mark() != nearest) {
        fail(QStringLiteral("the sample at %1 m was not marked").arg(cell));
        return;
    }
    if (!pressMain("Btnjudge"))
        return;
    const int expected = int(std::trunc((m_dlg.session()->record().maxDepth - shown.at(nearest).depth) / 10.0));
    CtrlInfo info;
    const HoleLoadResult r = readHoleFile(m_holePath, info);
    if (!r.ok || info.sedimentThickness != expected) {
        fail(QStringLiteral("the judgement (%1 cm) was not written to %2").arg(QString::number(expected), m_holePath));
        return;
    }
    note(QStringLiteral("sediment %1 cm at %2 m").arg(QString::number(expected), cell));
    shoot(&m_dlg, QStringLiteral("main-review"), true);
}

void CDemoRun::takeScreenshot()
{
    settle();
    if (m_failed)
        return;
    QString why;
    if (!savePng(grabScreen(), m_opt.screenshot, &why))
        fail(QStringLiteral("screenshot: %1").arg(why));
}

void CDemoRun::closeReview()
{
    if (!m_dlg.reviewMode())
        return;
    // "Close the file?"
    expect("CDlgMsgQuestion", [this](QWidget *w) { answerQuestion(w); });
    if (!pressMain("BtnSample"))
        return;
    expectNothing();
    if (!m_failed && m_dlg.reviewMode())
        fail(QStringLiteral("the reviewed file did not close"));
}

void CDemoRun::quit()
{
    // "Sure you want to exit?"; the dialog then ends its own modal loop.
    expect("CDlgMsgQuestion", [this](QWidget *w) { answerQuestion(w); });
    pressMain("BtnQuit");
}

// ---------------------------------------------------------------- answers

void CDemoRun::answerSetup(QWidget *w)
{
    struct Field {
        const char *name;
        QString text;        // keyboard or keypad text
        QStringList choices; // selection grid
        QString shown;       // what the field then shows, when not text
    };
    const QString depth = QString::number(m_opt.depthMm / 1000.0, 'f', 2);
    const Field fields[] = {
        {"editGCMC", m_opt.project, {}, QString()},
        {"editGCLJ", m_opt.project, {}, QString()},
        {"editPileName", m_hole, {}, QString()},
        {"editPileLen", depth, {}, QString()},
        {"CBMove", QString(), {QString::number(m_opt.moveMm)}, QString()},
        {"CBSampleMode", QString(), modeTexts(m_opt.modeCode), QString()},
    };
    QVector<Field> all(std::begin(fields), std::end(fields));
    if (!m_opt.basis.isEmpty())
        all.append({"editBasis", QString(), {m_opt.basis}, m_opt.basis});
    if (m_opt.limitMm > 0)
        all.append({"editBasis", QString::number(m_opt.limitMm),
                    {QCoreApplication::translate("CDlgSet", "设计值(mm)")},
                    QCoreApplication::translate("PileLimits", "设计值") + QStringLiteral(" %1 mm").arg(m_opt.limitMm)});
    // The set-up shows the last basis and position (they serve the next hole
    // of a project); a run that names none clears them.
    const QString none = QCoreApplication::translate("CDlgSet", "无");
    if (m_opt.basis.isEmpty() && m_opt.limitMm <= 0 && m_dlg.session()->record().acceptance.hasBasis())
        all.append({"editBasis", QString(), {none}, none});
    if (m_opt.position != MeasuringPosition::Unnamed)
        all.append({"CBPosition", QString(), {MeasuringPosition::text(m_opt.position)}, QString()});
    else if (m_dlg.session()->record().acceptance.position != MeasuringPosition::Unnamed)
        all.append({"CBPosition", QString(), {QCoreApplication::translate("CDlgSet", "不指定")}, QString()});
    for (const Field &f : all) {
        QWidget *field = w->findChild<QWidget *>(QString::fromLatin1(f.name));
        if (!field) {
            fail(QStringLiteral("the set-up has no field %1").arg(QLatin1String(f.name)));
            return;
        }
        m_pendingText = f.text;
        m_pendingChoices = f.choices;
        DemoInput::touch(field);
        if (m_failed)
            return;
        bool taken = false;
        if (auto *edit = qobject_cast<QLineEdit *>(field))
            taken = edit->text() == (f.shown.isEmpty() ? f.text : f.shown);
        else if (auto *combo = qobject_cast<QComboBox *>(field))
            taken = f.choices.contains(combo->currentText());
        if (!taken) {
            fail(QStringLiteral("the set-up field %1 did not take %2")
                     .arg(QLatin1String(f.name), f.text.isEmpty() ? f.choices.value(0) : f.text));
            return;
        }
    }
    shoot(w, QStringLiteral("setup"));
    click(w, "BtnOK");
}

void CDemoRun::answerKeyboard(QWidget *w)
{
    auto *edit = w->findChild<QLineEdit *>(QStringLiteral("valueEdit"));
    if (!edit) {
        fail(QStringLiteral("the keyboard has no text field"));
        return;
    }
    edit->setText(m_pendingText);
    shoot(w, QStringLiteral("keyboard"));
    click(w, "BtnOK");
}

void CDemoRun::answerKeypad(QWidget *w)
{
    QString why;
    if (!DemoInput::typeOnKeypad(w, m_pendingText, &why)) {
        fail(why);
        return;
    }
    shoot(w, QStringLiteral("keypad"));
    click(w, "BtnNumKeyOK");
}

void CDemoRun::answerChoice(QWidget *w)
{
    auto *grid = qobject_cast<CDlgSelKey *>(w);
    if (!grid) {
        fail(QStringLiteral("unexpected selection dialog"));
        return;
    }
    for (int i = 0; i < CDlgSelKey::kItemCount - 1; ++i) {
        if (!m_pendingChoices.contains(grid->m_strItem[i]))
            continue;
        shoot(w, QStringLiteral("choice"));
        click(w, QByteArray("Btn" + QByteArray::number(i + 1)).constData());
        return;
    }
    fail(QStringLiteral("\"%1\" is not offered by the selection \"%2\"")
             .arg(m_pendingChoices.value(0), grid->m_strTitle));
}

void CDemoRun::answerQuestion(QWidget *w)
{
    shoot(w, QStringLiteral("question"));
    click(w, "BtnOK");
}

void CDemoRun::answerSave(QWidget *w)
{
    shoot(w, QStringLiteral("save"));
    m_saveAnswered = true;
    click(w, "BtnSave");
}

void CDemoRun::answerBrowser(QWidget *w)
{
    auto *browser = qobject_cast<CDlgExportFile *>(w);
    if (!browser) {
        fail(QStringLiteral("unexpected file browser"));
        return;
    }
    // The projects first, then the project's holes; a hole tested more than
    // once offers its tests, and the demonstration takes its own.
    m_pendingChoices = QStringList{m_testName};
    for (const QStringList &names : {QStringList{m_opt.project}, QStringList{m_testName, m_hole}}) {
        shoot(w, QStringLiteral("browser"));
        QString why;
        if (!DemoInput::pressListedItem(browser, names, &why)) {
            fail(why);
            return;
        }
        if (m_failed)
            return;
    }
}

void CDemoRun::answerFileOperation(QWidget *w)
{
    shoot(w, QStringLiteral("fileops"));
    click(w, "BtnOpen");
}

// ---------------------------------------------------------------- machinery

void CDemoRun::expect(const char *className, Answer answer) { m_answerer.answerAlways(className, std::move(answer)); }

void CDemoRun::expectNothing() { m_answerer.clearStandingAnswers(); }

void CDemoRun::failOnUnexpected(QWidget *w)
{
    const QString texts = ModalAnswerer::visibleTexts(w);
    fail(QStringLiteral("%1: unexpected %2%3")
             .arg(m_step, QString::fromLatin1(w->metaObject()->className()),
                  texts.isEmpty() ? QString() : QStringLiteral(" \"%1\"").arg(texts)));
}

bool CDemoRun::pressMain(const char *name)
{
    auto *b = m_dlg.findChild<QAbstractButton *>(QString::fromLatin1(name));
    if (!b || !b->isVisible() || !b->isEnabled()) {
        fail(QStringLiteral("%1: the button %2 cannot be pressed (%3)").arg(m_step, QLatin1String(name), stepState()));
        return false;
    }
    note(QStringLiteral("press %1 \"%2\"").arg(QLatin1String(name), oneLine(b->text())));
    b->click();
    return !m_failed;
}

bool CDemoRun::click(QWidget *dialog, const char *name)
{
    auto *b = dialog->findChild<QAbstractButton *>(QString::fromLatin1(name));
    if (!b || !b->isVisible() || !b->isEnabled()) {
        fail(QStringLiteral("%1: %2 has no usable button %3")
                 .arg(m_step, QString::fromLatin1(dialog->metaObject()->className()), QLatin1String(name)));
        return false;
    }
    b->click();
    return !m_failed;
}

bool CDemoRun::waitFor(const std::function<bool()> &done)
{
    while (!m_failed) {
        if (done())
            return true;
        QEventLoop loop;
        QTimer::singleShot(kWaitSliceMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return false;
}

void CDemoRun::settle()
{
    // The curve and the table redraw on a short timer after every change.
    QElapsedTimer t;
    t.start();
    waitFor([&t] { return t.elapsed() >= kSettleMs; });
}

void CDemoRun::fail(const QString &why)
{
    if (m_failed)
        return;
    m_failed = true;
    m_failure = why;
    // Unwind: every dialog still open ends, so the steps return.
    m_answerer.abandon();
    note(QStringLiteral("failed: ") + why);
}

void CDemoRun::note(const QString &text) const
{
    if (m_verbose)
        fprintf(stderr, "zpvw --demo: [%6.1f s] %s\n", m_clock.elapsed() / 1000.0, qUtf8Printable(oneLine(text)));
}

void CDemoRun::shoot(QWidget *w, const QString &name, bool settleFirst)
{
    if (m_opt.shotsDir.isEmpty() || !w)
        return;
    if (settleFirst)
        settle();
    const QString file = QStringLiteral("%1/%2-%3.png")
                             .arg(m_opt.shotsDir, QStringLiteral("%1").arg(++m_shotCount, 2, 10, QLatin1Char('0')), name);
    QString why;
    if (!savePng(grabWindow(w), file, &why))
        fail(QStringLiteral("--shots: %1").arg(why));
}

QString CDemoRun::stepState() const
{
    const bool link = CAppModel::instance()->isLinkConnected();
    const uint32_t word = m_dlg.session()->state();
    // A skipped point waits for the probe to come back down to it.
    const bool leak = AcqState::code(word) == AcqState::Raising && (word & AcqState::SubLeakPending) != 0;
    return QStringLiteral("%1; state 0x%2; %3 samples%4; winch link %5")
        .arg(m_step, QStringLiteral("%1").arg(word, 8, 16, QLatin1Char('0')), QString::number(m_dlg.session()->samples().size()),
             leak ? QStringLiteral("; a skipped point waits for the probe to be lowered") : QString(),
             link ? QStringLiteral("up") : QStringLiteral("down"));
}

QString CDemoRun::firstFreeHoleName() const
{
    const QString folder = m_dlg.session()->record().dataDir.get() + QLatin1Char('/') + m_opt.project;
    for (int n = 1; n <= 9999; ++n) {
        const QString name = QStringLiteral("DEMO%1").arg(n);
        if (!QFileInfo::exists(folder + QLatin1Char('/') + name + QLatin1Char('.') + fileExt))
            return name;
    }
    return QString();
}
