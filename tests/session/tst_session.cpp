// The test session on its own, without a widget: the button sequences an
// operator may press, as a table, with the state word the session announces
// and whether the acquisition records; and what a new test, a review and a
// judgement leave in the records.

#include "testsession.h"

#include "acqstate.h"
#include "ctrlinfo.h"
#include "holefile.h"
#include "paramfile.h"
#include "querythread.h"
#include "screentestworld.h"
#include "sessionsetup.h"
#include "testrecord.h"
#include "verdict.h"

#include <QDateTime>
#include <QDir>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

namespace {

const QString kHole = QStringLiteral("Z1");

// What the main screen does for one press. 'S' the sample button, 'N' the
// new-test button with the proposed name accepted, 'n' the same with the
// name cancelled.
void press(CTestSession &session, QChar key)
{
    if (key == QLatin1Char('S')) {
        session.sample();
        return;
    }
    const CTestSession::NewTestKind kind = session.newTestPressed();
    if (kind == CTestSession::FinishTest) {
        session.finishByOperator();
        return;
    }
    if (kind == CTestSession::NoNewTest)
        return;
    if (kind == CTestSession::FromIdle && session.startReadingForName() != CTestSession::Done)
        return;
    if (key == QLatin1Char('n')) {
        session.namingCancelled(kind);
        return;
    }
    const QString name = session.proposedTestName(kHole);
    QCOMPARE(session.takeTestName(name), CTestSession::NameTaken);
    session.nameTest(kind, name);
}

// The thread takes samples: started and not held by a pause request.
bool recording(const CTestSession &session)
{
    return session.thread()->isRunning() && !session.thread()->isPaused();
}

} // namespace

class TestSession : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_winch.start()); }
    void cleanupTestCase() { m_winch.stop(); }
    void init()
    {
        m_world = std::make_unique<ScreenTestWorld>();
        CtrlInfo params;
        params.holeNo = kHole;
        params.holeDepth = params.maxDepth = 2000;
        params.moveDistance = 100;
        params.sampleMode = SampleModes::Manual;
        // A judgement left in the parameter file by an older program.
        params.sedimentThickness = 40;
        QVERIFY(saveTestParams(params));
        m_session = std::make_unique<CTestSession>();
        m_session->begin();
    }
    void cleanup()
    {
        m_session.reset();
        m_world.reset();
    }

    void buttonSequences_data();
    void buttonSequences();
    void newTestIsFreshAndStamped();
    void reviewKeepsTheLiveTestApart();
    void judgingNeedsAMark();
    void nameOfAnotherHole();

private:
    QString writeStoredTest(const QString &name, int32_t thicknessCm);

    SilentWinch m_winch;
    std::unique_ptr<ScreenTestWorld> m_world;
    std::unique_ptr<CTestSession> m_session;
};

void TestSession::buttonSequences_data()
{
    QTest::addColumn<QString>("presses");
    QTest::addColumn<uint>("state");
    QTest::addColumn<bool>("records");
    // A named test always samples from the bottom, however the reading
    // before it stood; only the operator's own pause holds it, and then the
    // sample button reads "采样".
    QTest::newRow("new from idle") << "N" << 0xF7000000u << true;
    QTest::newRow("new while reading") << "SN" << 0xF7000000u << true;
    QTest::newRow("new while reading paused") << "SSN" << 0xF7000000u << true;
    QTest::newRow("new after reading resumed") << "SSSN" << 0xF7000000u << true;
    QTest::newRow("named test paused by the operator") << "NS" << 0xF7000004u << false;
    QTest::newRow("named test continued") << "NSS" << 0xF7000000u << true;
    QTest::newRow("paused reading named, then paused") << "SSNS" << 0xF7000004u << false;
    // Without a name the reading goes on as it stood, or paused from idle.
    QTest::newRow("name cancelled while reading") << "Sn" << 0xF6000000u << true;
    QTest::newRow("name cancelled while paused") << "SSn" << 0xF6000004u << false;
    QTest::newRow("name cancelled from idle") << "n" << 0xF6000004u << false;
    QTest::newRow("reading") << "S" << 0xF6000000u << true;
    QTest::newRow("reading paused") << "SS" << 0xF6000004u << false;
}

void TestSession::buttonSequences()
{
    QFETCH(QString, presses);
    QFETCH(uint, state);
    QFETCH(bool, records);
    QSignalSpy told(m_session.get(), &CTestSession::stateChanged);
    for (const QChar key : presses)
        press(*m_session, key);
    QCOMPARE(uint(m_session->state()), state);
    // The views learn every word from the session.
    QVERIFY(!told.isEmpty());
    QCOMPARE(told.last().at(0).toUInt(), state);
    QTRY_COMPARE_WITH_TIMEOUT(recording(*m_session), records, 5000);
    // Never a named test that records nothing while nothing says it is
    // paused.
    const uint32_t code = AcqState::code(m_session->state());
    if (code == AcqState::AtBottom || code == AcqState::Raising)
        QVERIFY(recording(*m_session) || (m_session->state() & AcqState::SubPaused));
}

void TestSession::newTestIsFreshAndStamped()
{
    // Nothing judged at the start, whatever the parameter file held.
    QVERIFY(!hasJudgement(m_session->record()));
    QVERIFY(!hasJudgement(m_session->setup()));

    // A judgement of the test before, and the program's start time.
    editSessionRecord(m_session.get(), [&](CtrlInfo &r) {
        r.testTime = QStringLiteral("01:02:03");
    });
    m_session->setSedimentThickness(4);
    QVERIFY(hasJudgement(m_session->record()));
    m_session->selectSample(0);

    QSignalSpy judgement(m_session.get(), &CTestSession::judgementChanged);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    press(*m_session, QLatin1Char('N'));
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    QVERIFY(!judgement.isEmpty());
    QVERIFY(!hasJudgement(m_session->record()));
    QCOMPARE(int(m_session->record().sedimentThickness), 0);
    QCOMPARE(m_session->record().acceptance.verdict, int32_t(AcceptanceVerdict::NotJudged));
    QCOMPARE(m_session->mark(), -1);
    const QDateTime stamped = QDateTime::fromString(m_session->record().testDate.get() + QLatin1Char(' ') + m_session->record().testTime.get(),
                                                    QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    QVERIFY2(stamped.isValid() && stamped >= before && stamped <= after,
             qPrintable(m_session->record().testDate.get() + QLatin1Char(' ') + m_session->record().testTime.get()));
}

QString TestSession::writeStoredTest(const QString &name, int32_t thicknessCm)
{
    CtrlInfo info;
    info.holeNo = kHole;
    info.maxDepth = info.holeDepth = 2000;
    info.sedimentThickness = thicknessCm;
    QVector<Sample> list;
    for (int depth = 2000; depth >= 0; depth -= 100)
        list.append(Sample{depth, 5.0f, 5.0f});
    const QString dir = m_world->file(QStringLiteral("stored"));
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".CZO");
    HoleSaveOptions o;
    o.sync = false;
    return saveHoleFile(path, info, list, o) ? path : QString();
}

void TestSession::reviewKeepsTheLiveTestApart()
{
    // A named test held at the bottom, with its own samples and judgement.
    press(*m_session, QLatin1Char('N'));
    press(*m_session, QLatin1Char('S'));
    QCOMPARE(uint(m_session->state()), 0xF7000004u);
    m_session->restoreTest({Sample{2000, 7.0f, 7.0f}}, m_session->state());
    m_session->setSedimentThickness(9);
    const QString liveName = m_session->record().curHoleName.get();

    const QString path = writeStoredTest(QStringLiteral("Z1-9"), 30);
    QVERIFY(m_session->openForReview(path));
    QCOMPARE(m_session->mark(), -1);
    QCOMPARE(int(m_session->record().sedimentThickness), 30);
    // Typed in review: the reviewed file holds it at once.
    QCOMPARE(m_session->setSedimentThickness(4), CTestSession::JudgedAndSaved);
    CtrlInfo stored;
    QVERIFY(readHoleFile(path, stored).ok);
    QCOMPARE(int(stored.sedimentThickness), 4);
    QCOMPARE(m_session->setHoleQuality(1), CTestSession::JudgedAndSaved);
    QVERIFY(readHoleFile(path, stored).ok);
    QCOMPARE(int(stored.holeQuality), 1);

    // Closing gives back the live test exactly: record, samples, state.
    m_session->closeReview();
    QCOMPARE(int(m_session->record().sedimentThickness), 9);
    QCOMPARE(int(m_session->record().holeQuality), 0);
    QCOMPARE(m_session->record().curHoleName.get(), liveName);
    QCOMPARE(m_session->samples().snapshot(), (QVector<Sample>{Sample{2000, 7.0f, 7.0f}}));
    QCOMPARE(uint(m_session->state()), 0xF7000004u);
    QVERIFY(!m_session->reviewing());
    // ... and it goes on where it stood.
    press(*m_session, QLatin1Char('S'));
    QCOMPARE(uint(m_session->state()), 0xF7000000u);
    QTRY_VERIFY_WITH_TIMEOUT(recording(*m_session), 5000);
}

void TestSession::judgingNeedsAMark()
{
    const QString first = writeStoredTest(QStringLiteral("Z1"), 11);
    const QString second = writeStoredTest(QStringLiteral("Z1-2"), 22);
    QVERIFY(m_session->openForReview(first));
    m_session->selectSample(3);
    // Opening another file forgets the mark: judging it writes nothing.
    QVERIFY(m_session->openForReview(second));
    const QByteArray before = readFileBytes(second);
    QCOMPARE(m_session->judge(), CTestSession::NoMark);
    QCOMPARE(readFileBytes(second), before);
    // So does closing it.
    m_session->selectSample(2);
    m_session->closeReview();
    QCOMPARE(m_session->mark(), -1);
    QVERIFY(m_session->openForReview(second));
    QCOMPARE(m_session->judge(), CTestSession::NoMark);
    QCOMPARE(readFileBytes(second), before);

    // A mark among the shown samples judges: 2000 - 1800 mm = 20 cm.
    m_session->selectSample(2);
    QCOMPARE(m_session->judge(), CTestSession::JudgedAndSaved);
    CtrlInfo stored;
    QVERIFY(readHoleFile(second, stored).ok);
    QCOMPARE(int(stored.sedimentThickness), 20);
    // A mark past the shown samples is none.
    m_session->selectSample(m_session->samples().size());
    QCOMPARE(m_session->judge(), CTestSession::NoMark);
}

void TestSession::nameOfAnotherHole()
{
    QVERIFY(m_session->nameFitsHole(QStringLiteral("Z1")));
    QVERIFY(m_session->nameFitsHole(QStringLiteral("z1-2")));
    QVERIFY(!m_session->nameFitsHole(QStringLiteral("Z2")));
    QVERIFY(!m_session->nameFitsHole(QStringLiteral("Z1-1")));
    QVERIFY(!m_session->nameFitsHole(QStringLiteral("Z12")));

    m_session->adoptHoleNumber(QStringLiteral("Z2"));
    QCOMPARE(m_session->record().holeNo.get(), QStringLiteral("Z2"));
    QCOMPARE(m_session->setup().holeNo.get(), QStringLiteral("Z2"));
    // The next start knows it too.
    CtrlInfo reloaded;
    loadTestParams(reloaded);
    QCOMPARE(reloaded.holeNo.get(), QStringLiteral("Z2"));
}

QTEST_MAIN(TestSession)
#include "tst_session.moc"
