// Device access layer, depth computation, application model, winch address
// option and one run of the real acquisition thread.

#include "acqcontrolmirror.h"
#include "acqstate.h"
#include "appmodel.h"
#include "batteryconfig.h"
#include "ctrlinfo.h"
#include "depthcalc.h"
#include "device.h"
#include "querythread.h"
#include "reporttaker.h"
#include "testrecord.h"
#include "testsupport.h"
#include "winchaddress.h"
#include "winchctrl.h"

#include <QLoggingCategory>
#include <QProcess>
#include <QTranslator>
#include <QtTest>
#include <cstring>

namespace {
// The in-memory device, counting what the acquisition asks of it.
class CountingDevice : public CMemoryDevice {
public:
    bool initAcquisition() override { ++inits; return CMemoryDevice::initAcquisition(); }
    bool sendOperation() override { ++operations; return CMemoryDevice::sendOperation(); }
    bool readHeight(uint16_t *h, uint16_t *aux, uint8_t channel) override
    {
        ++heightReads;
        return CMemoryDevice::readHeight(h, aux, channel);
    }
    bool readWave(uint16_t n, uint8_t *buffer, uint16_t *h, uint8_t channel) override
    {
        ++waveReads;
        return CMemoryDevice::readWave(n, buffer, h, channel);
    }
    std::atomic<int> inits{0}, operations{0}, heightReads{0}, waveReads{0};
};

const QString kManual = QStringLiteral("手动提升");
const QString kAuto = QStringLiteral("自动提升");
const QString kWireless = QStringLiteral("无线自动提升");

WinchReport reportOf(int32_t pulses, float raw, bool cleared = false)
{
    WinchReport r;
    r.pulseCount = pulses;
    r.rawValue = raw;
    r.cleared = cleared;
    return r;
}

// A model whose link never starts: reports are fed by hand.
WinchAddress unusedAddress() { return {QStringLiteral("127.0.0.1"), 9}; }
}

class TestAcquisition : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void boardCallsNeedOpenDevice();
    void heightStore_data();
    void heightStore();
    void batteryLevel_data();
    void batteryLevel();
    void acquisitionParams();

    void heightSource_data();
    void heightSource();
    void winchHeightFromPulses();
    void winchHeightSettlesAtRest();
    void valueWithAmplification();
    void clearHandshakeInModel();
    void controlParamsFile();

    void parseAddress_data();
    void parseAddress();
    void chooseAddress_data();
    void chooseAddress();
    void builtInAddressOfThisBuild();
    void configuredAddressNeverFallsBackSilently();
    void programRejectsMalformedAddress_data();
    void programRejectsMalformedAddress();

    void threadRunsBottomToEnd();
    void threadRestartWhileStopping();

private:
    TestAppDir m_dir;
    CountingDevice m_device;
    CtrlInfo m_info;
};

void TestAcquisition::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("zpvw.acquisition.debug=false"));
    // Nothing here may ever reach the built-in controller address.
    qputenv("ZPVW_WINCH", "127.0.0.1:9");
}

void TestAcquisition::init()
{
    m_info = CtrlInfo();
    deviceHandle = 1;
    m_device.resetHeight();
    m_device.inits = m_device.operations = m_device.heightReads = m_device.waveReads = 0;
    setDeviceBackend(&m_device);
    batteryThresholds.clear();
}

void TestAcquisition::cleanup()
{
    setDeviceBackend(nullptr);
    clearConfiguredWinchAddress();
}

void TestAcquisition::boardCallsNeedOpenDevice()
{
    deviceHandle = -1;
    batteryThresholds = {1, 1, 0, 1, 1, 1, 1, 1, 1, 1};
    QVERIFY(!initAcquisition());
    QVERIFY(!sendOperation());
    QVERIFY(!setBrightness(5));
    QCOMPARE(::batteryLevel(), uint8_t(0));
    QCOMPARE(m_device.inits.load(), 0);
    QCOMPARE(m_device.operations.load(), 0);
    // The reads and the height store work without the open device.
    setHeight(12);
    uint16_t h = 0, aux = 7;
    QVERIFY(readHeight(&h, &aux, 1));
    QCOMPARE(h, uint16_t(12));
    QCOMPARE(aux, uint16_t(0));
    openDevice();
    QCOMPARE(deviceHandle.load(), 1);
    QVERIFY(initAcquisition());
    QVERIFY(sendOperation());
    QVERIFY(setBrightness(5));
    QCOMPARE(::batteryLevel(), uint8_t(8));
    QCOMPARE(m_device.inits.load(), 1);
}

void TestAcquisition::heightStore_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("store");
    QTest::addColumn<int>("read16");
    QTest::newRow("add 55 keeps whole centimetres") << "add 55" << 5 << 5;
    QTest::newRow("add -15 truncates toward zero") << "add -15" << -1 << 65535;
    QTest::newRow("two steps") << "add 55,add 55" << 10 << 10;
    QTest::newRow("set") << "set 123" << 123 << 123;
    QTest::newRow("set above 16 bits") << "set 70000" << 70000 << 70000 - 65536;
    QTest::newRow("reset") << "set 7,add 100,reset" << 0 << 0;
}

void TestAcquisition::heightStore()
{
    QFETCH(QString, steps);
    QFETCH(int, store);
    QFETCH(int, read16);
    for (const QString &step : steps.split(QLatin1Char(','))) {
        const QStringList p = step.split(QLatin1Char(' '));
        if (p[0] == QLatin1String("add"))
            addHeight(p[1].toInt());
        else if (p[0] == QLatin1String("set"))
            setHeight(p[1].toInt());
        else
            resetHeight();
    }
    QCOMPARE(getHeight(), store);
    uint16_t h = 0, wh = 0;
    QVERIFY(readHeight(&h, nullptr, 1));
    QVERIFY(readWave(6144, nullptr, &wh, 1));
    QCOMPARE(int(h), read16);
    QCOMPARE(int(wh), read16);
    m_info.sampleMode = SampleModes::Manual;
    int32_t mm = 0;
    QVERIFY(readCurHeight(acqSettingsOf(m_info), {}, &mm));
    QCOMPARE(mm, read16 * 10);
}

void TestAcquisition::batteryLevel_data()
{
    QTest::addColumn<QList<int32_t>>("list");
    QTest::addColumn<int>("level");
    QTest::newRow("fourth entry 0") << QList<int32_t>{3, 2, 1, 0, 5, 5, 5, 5, 5, 5} << 7;
    QTest::newRow("first entry 0") << QList<int32_t>{0, 1, 1, 1, 1, 1, 1, 1, 1, 1} << 10;
    QTest::newRow("only the last not above 0") << QList<int32_t>{1, 1, 1, 1, 1, 1, 1, 1, 1, -4} << 1;
    QTest::newRow("negative counts as not above 0") << QList<int32_t>{1, -1, 1, 1, 1, 1, 1, 1, 1, 1} << 9;
    QTest::newRow("all above 0") << QList<int32_t>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1} << 0;
    QTest::newRow("eleventh entry ignored") << QList<int32_t>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0} << 0;
    QTest::newRow("fewer than ten") << QList<int32_t>{0, 0, 0, 0, 0, 0, 0, 0, 0} << 0;
    QTest::newRow("empty") << QList<int32_t>{} << 0;
}

void TestAcquisition::batteryLevel()
{
    QFETCH(QList<int32_t>, list);
    QFETCH(int, level);
    batteryThresholds = list;
    QCOMPARE(int(::batteryLevel()), level);
}

void TestAcquisition::acquisitionParams()
{
    std::memset(&gAcqParams.channels, 0xAB, sizeof gAcqParams.channels);
    gAcqParams.param0b = 99;
    m_info.moveDistance = 250;
    m_info.lineD = 7;
    m_info.wheelD = 69;
    prepareAcquisitionParams(m_info);
    QCOMPARE(gAcqParams.heightUp, uint8_t(1));
    QCOMPARE(gAcqParams.configured, uint8_t(1));
    QCOMPARE(gAcqParams.param20, 20);
    QCOMPARE(gAcqParams.param512, 512);
    QCOMPARE(gAcqParams.param4, 4);
    QCOMPARE(gAcqParams.stepMm, 250);
    QCOMPARE(gAcqParams.param0a, 0);
    QCOMPARE(gAcqParams.scale, 1.0f);
    QCOMPARE(gAcqParams.param0b, 0);
    QCOMPARE(gAcqParams.param0c, 0);
    QCOMPARE(gAcqParams.cableDiameterCm, 0.0f);
    QCOMPARE(gAcqParams.pulleyDiameterCm, 6.0f);
    const auto *bytes = reinterpret_cast<const uint8_t *>(&gAcqParams.channels);
    for (size_t i = 0; i < sizeof gAcqParams.channels; ++i)
        QCOMPARE(int(bytes[i]), 0);
    m_info.depthFromTop = 1;
    prepareAcquisitionParams(m_info);
    QCOMPARE(gAcqParams.heightUp, uint8_t(0));
}

void TestAcquisition::heightSource_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("store");
    QTest::addColumn<int>("winch");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("deviceHeightReads");
    QTest::addColumn<bool>("english");
    QTest::newRow("manual: device centimetres") << kManual << 123 << 777 << 1230 << 1 << false;
    QTest::newRow("manual 6 s/m") << QStringLiteral("手动(6s/m)") << 40 << 777 << 400 << 1 << false;
    QTest::newRow("auto-raise: winch height") << kAuto << 123 << 777 << 777 << 0 << false;
    QTest::newRow("wireless: winch height") << kWireless << 123 << 777 << 777 << 0 << false;
    QTest::newRow("English catalogue: auto-raise") << QStringLiteral("Auto-Raise") << 123 << 555 << 555 << 0 << true;
    QTest::newRow("English catalogue: manual") << QStringLiteral("Manual") << 12 << 555 << 120 << 1 << true;
    QTest::newRow("earlier English spelling: manual") << QStringLiteral("Manaul") << 12 << 555 << 120 << 1 << true;
}

void TestAcquisition::heightSource()
{
    QFETCH(QString, mode);
    QFETCH(int, store);
    QFETCH(int, winch);
    QFETCH(int, height);
    QFETCH(int, deviceHeightReads);
    QFETCH(bool, english);
    QTranslator translator;
    if (english) {
        QVERIFY(translator.load(QStringLiteral(":/Language/English.qm")));
        QCoreApplication::installTranslator(&translator);
    }
    // The mode as the screen of that language names it.
    m_info.sampleMode = SampleModes::codeOf(mode);
    setHeight(store);
    const std::function<int32_t()> winchSource = [winch] { return int32_t(winch); };
    const AcqSettings settings = acqSettingsOf(m_info);
    int32_t h = -1, aux = -1;
    QVERIFY(readCurHeight(settings, winchSource, &h, &aux));
    QCOMPARE(h, height);
    QCOMPARE(aux, 0);
    QCOMPARE(m_device.heightReads.load(), deviceHeightReads);
    // The wave read goes to the device in every mode.
    int32_t wh = -1;
    QVector<uint8_t> buffer(2 * waveLength);
    QVERIFY(readWaveHeight(settings, winchSource, buffer.data(), &wh));
    QCOMPARE(wh, height);
    QCOMPARE(m_device.waveReads.load(), 1);
    // The sample depth of a manual height (hole 20000).
    QCOMPARE(depthForRaisedDistance(h, settings.holeDepth, settings.depthFromTop), 20000 - height);
}

void TestAcquisition::winchHeightFromPulses()
{
    CAppModel model(unusedAddress(), false);
    QVERIFY(qAbs(winchMetresForPulses(1024, 63, 7) - 0.2199115f) < 1e-6f);
    QVERIFY(model.updateFrom(reportOf(1024, 0.0f)));
    QCOMPARE(model.winchHeight.load(), 219);
    QCOMPARE(model.lastPulseCount, 1024);
    QVERIFY(qAbs(model.lastWinchHeightM - 0.2199115f) < 1e-6f);
    // 18 more pulses move 3.9 mm: held back while the probe moves.
    QVERIFY(!model.updateFrom(reportOf(1042, 0.0f)));
    QCOMPARE(model.winchHeight.load(), 219);
    QCOMPARE(model.lastPulseCount, 1042);
    // 24 more move 5.2 mm: taken.
    QVERIFY(model.updateFrom(reportOf(1066, 0.0f)));
    QCOMPARE(model.winchHeight.load(), int(winchMetresForPulses(1066, 63, 7) * 1000.0f));
    // The pulley and cable diameters come from the set-up.
    model.setWinchGeometry(100, 0);
    QVERIFY(model.updateFrom(reportOf(2048, 0.0f)));
    QCOMPARE(model.winchHeight.load(), 628);
}

void TestAcquisition::winchHeightSettlesAtRest()
{
    CAppModel model(unusedAddress(), false);
    QVERIFY(model.updateFrom(reportOf(1024, 0.0f), 1));
    QVERIFY(!model.updateFrom(reportOf(1040, 0.0f), 2));
    QCOMPARE(model.winchHeight.load(), 219);
    // The same report seen again is not a second report.
    QVERIFY(!model.updateFrom(reportOf(1040, 0.0f), 2));
    QCOMPARE(model.winchHeight.load(), 219);
    // A second report with the same count: at rest, the exact height is taken.
    QVERIFY(model.updateFrom(reportOf(1040, 0.0f), 3));
    QCOMPARE(model.winchHeight.load(), int(winchMetresForPulses(1040, 63, 7) * 1000.0f));
    QVERIFY(!model.updateFrom(reportOf(1040, 0.0f), 4));
}

void TestAcquisition::valueWithAmplification()
{
    CAppModel model(unusedAddress(), false);
    QCOMPARE(model.resiAmpFactor, 10.0f);
    QVERIFY(model.updateFrom(reportOf(0, 12.5f)));
    QCOMPARE(model.currentValue.load(), 125.0f);
    QVERIFY(!model.updateFrom(reportOf(0, 12.5f)));
    model.resiAmpFactor = 2.0f;
    QVERIFY(model.updateFrom(reportOf(0, 12.5f)));
    QCOMPARE(model.currentValue.load(), 25.0f);
}

void TestAcquisition::clearHandshakeInModel()
{
    CAppModel model(unusedAddress(), false);
    QVERIFY(!model.link()->clearFlag());
    model.requestClear();
    QCOMPARE(model.clearRequest, uint8_t(1));
    QVERIFY(model.link()->clearFlag());
    model.updateFrom(reportOf(5, 1.0f, true)); // cleared byte but a count: not yet
    QVERIFY(model.link()->clearFlag());
    model.updateFrom(reportOf(0, 1.0f, false)); // count 0 without the byte: not yet
    QVERIFY(model.link()->clearFlag());
    model.winchHeight = 1234;
    model.lastWinchHeightM = 1.234f;
    model.updateFrom(reportOf(0, 1.0f, true));
    QCOMPARE(model.clearRequest, uint8_t(0));
    QVERIFY(!model.link()->clearFlag());
    QCOMPARE(model.winchHeight.load(), 0);
}

void TestAcquisition::controlParamsFile()
{
    TestAppDir dir;
    CAppModel model(unusedAddress(), false);
    QVERIFY(model.saveControlParams());
    QCOMPARE(QString::fromLatin1(readFileBytes(dir.file(QStringLiteral("KRV_ZPVW_CZL_CONFIG.INI")))),
             QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\" ?>\n<KRV_CONFIG>\n   <ControlParam>\n"
                            "      <bDebug>false</bDebug>\n      <fResiAmpFactor>10</fResiAmpFactor>\n"
                            "   </ControlParam>\n</KRV_CONFIG>\n"));
    model.debugDisplay = 1;
    model.resiAmpFactor = 12.3456789f;
    QVERIFY(model.saveControlParams());
    const QString text = QString::fromLatin1(readFileBytes(dir.file(QStringLiteral("KRV_ZPVW_CZL_CONFIG.INI"))));
    QVERIFY(text.contains(QStringLiteral("<bDebug>true</bDebug>")));
    QVERIFY(text.contains(QStringLiteral("<fResiAmpFactor>12.3457</fResiAmpFactor>")));
}

void TestAcquisition::parseAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::newRow("loopback") << "127.0.0.1:5000" << true << "127.0.0.1" << 5000;
    QTest::newRow("name") << "localhost:1" << true << "localhost" << 1;
    QTest::newRow("dotted name, top port") << "winch.local:65535" << true << "winch.local" << 65535;
    QTest::newRow("ipv6 in brackets") << "[::1]:5000" << true << "::1" << 5000;
    QTest::newRow("empty") << "" << false << "" << 0;
    QTest::newRow("no port") << "127.0.0.1" << false << "" << 0;
    QTest::newRow("empty port") << "127.0.0.1:" << false << "" << 0;
    QTest::newRow("no host") << ":5000" << false << "" << 0;
    QTest::newRow("port 0") << "127.0.0.1:0" << false << "" << 0;
    QTest::newRow("port too big") << "127.0.0.1:65536" << false << "" << 0;
    QTest::newRow("port with sign") << "127.0.0.1:+80" << false << "" << 0;
    QTest::newRow("port not a number") << "127.0.0.1:50a" << false << "" << 0;
    QTest::newRow("octet too big") << "256.1.1.1:80" << false << "" << 0;
    QTest::newRow("three octets") << "1.2.3:80" << false << "" << 0;
    QTest::newRow("blank in host") << "a b:80" << false << "" << 0;
    QTest::newRow("name starting with dash") << "-winch:80" << false << "" << 0;
    QTest::newRow("bad ipv6") << "[zz]:80" << false << "" << 0;
    QTest::newRow("bare ipv6") << "::1:80" << false << "" << 0;
}

void TestAcquisition::parseAddress()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, host);
    QFETCH(int, port);
    WinchAddress a;
    QString why;
    QCOMPARE(parseWinchAddress(text, &a, &why), ok);
    if (ok) {
        QCOMPARE(a.host, host);
        QCOMPARE(int(a.port), port);
    } else {
        QVERIFY(!why.isEmpty());
    }
}

void TestAcquisition::chooseAddress_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("env");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("rest");
    QTest::addColumn<QString>("errorPart");
    const QStringList plain{"zpvw", "-x"};
    QTest::newRow("built-in") << plain << "" << true << builtInWinchAddress().toString() << plain << "";
    QTest::newRow("environment") << plain << "127.0.0.1:7000" << true << "127.0.0.1:7000" << plain << "";
    QTest::newRow("option") << QStringList{"zpvw", "--winch", "127.0.0.1:6000", "-x"} << "" << true
                            << "127.0.0.1:6000" << plain << "";
    QTest::newRow("option with =") << QStringList{"zpvw", "-x", "--winch=127.0.0.1:6001"} << "" << true
                                   << "127.0.0.1:6001" << plain << "";
    QTest::newRow("option wins over environment")
        << QStringList{"zpvw", "--winch", "127.0.0.1:6000", "-x"} << "127.0.0.1:7000" << true << "127.0.0.1:6000"
        << plain << "";
    QTest::newRow("option wins over a broken environment")
        << QStringList{"zpvw", "--winch", "127.0.0.1:6000", "-x"} << "junk" << true << "127.0.0.1:6000" << plain << "";
    QTest::newRow("last option counts") << QStringList{"zpvw", "--winch", "127.0.0.1:1", "--winch", "127.0.0.1:2", "-x"}
                                        << "" << true << "127.0.0.1:2" << plain << "";
    QTest::newRow("broken option is an error, not the environment")
        << QStringList{"zpvw", "--winch", "127.0.0.1", "-x"} << "127.0.0.1:7000" << false << "" << plain << "--winch";
    QTest::newRow("option without value") << QStringList{"zpvw", "-x", "--winch"} << "" << false << "" << plain
                                          << "--winch";
    QTest::newRow("broken environment") << plain << "127.0.0.1:http" << false << "" << plain << "ZPVW_WINCH";
}

void TestAcquisition::chooseAddress()
{
    QFETCH(QStringList, args);
    QFETCH(QString, env);
    QFETCH(bool, ok);
    QFETCH(QString, address);
    QFETCH(QStringList, rest);
    QFETCH(QString, errorPart);
    const WinchAddressChoice c = chooseWinchAddress(args, env);
    QCOMPARE(c.ok, ok);
    QCOMPARE(args, rest);
    if (ok) {
        QCOMPARE(c.address.toString(), address);
        QCOMPARE(c.overridden, address != builtInWinchAddress().toString());
    } else {
        QVERIFY2(c.error.contains(errorPart), qPrintable(c.error));
    }
}

void TestAcquisition::builtInAddressOfThisBuild()
{
#ifdef ZPVW_INSTRUMENT_WINCH
    const QString expected = QStringLiteral(ZPVW_INSTRUMENT_WINCH);
#else
    // A development build knows only the simulator's address on this machine.
    const QString expected = QStringLiteral("127.0.0.1:5000");
#endif
    QCOMPARE(builtInWinchAddress().toString(), expected);
    QStringList args{QStringLiteral("zpvw")};
    const WinchAddressChoice c = chooseWinchAddress(args, QString());
    QVERIFY(c.ok);
    QVERIFY(!c.overridden);
    QCOMPARE(c.address.toString(), expected);
}

void TestAcquisition::configuredAddressNeverFallsBackSilently()
{
    qputenv("ZPVW_WINCH", "127.0.0.1:6123");
    QCOMPARE(configuredWinchAddress().toString(), QStringLiteral("127.0.0.1:6123"));
    qputenv("ZPVW_WINCH", "not an address");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("invalid winch address")));
    QVERIFY(configuredWinchAddress().host.isEmpty());
    setConfiguredWinchAddress({QStringLiteral("127.0.0.1"), 6124});
    QCOMPARE(configuredWinchAddress().toString(), QStringLiteral("127.0.0.1:6124"));
    qputenv("ZPVW_WINCH", "127.0.0.1:9");
    QStringList args{QStringLiteral("zpvw"), QStringLiteral("--winch"), QStringLiteral("127.0.0.1:6125")};
    QString errText;
    QTextStream err(&errText);
    QCOMPARE(handleWinchOptions(args, err), -1);
    QCOMPARE(args, QStringList{QStringLiteral("zpvw")});
    QCOMPARE(configuredWinchAddress().toString(), QStringLiteral("127.0.0.1:6125"));
    QVERIFY(errText.isEmpty());
    // Only the program's option step picks the built-in address.
    QStringList plain{QStringLiteral("zpvw")};
    qunsetenv("ZPVW_WINCH");
    QCOMPARE(handleWinchOptions(plain, err), -1);
    QCOMPARE(configuredWinchAddress(), builtInWinchAddress());
    clearConfiguredWinchAddress();
    QTest::ignoreMessage(QtWarningMsg, "no winch address configured; the winch link stays off");
    QVERIFY(configuredWinchAddress().host.isEmpty());
    qputenv("ZPVW_WINCH", "127.0.0.1:9");
}

void TestAcquisition::programRejectsMalformedAddress_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("env");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("option") << QStringList{"--winch", "127.0.0.1:99999"} << "127.0.0.1:9" << "--winch";
    QTest::newRow("option without value") << QStringList{"--winch"} << "127.0.0.1:9" << "--winch";
    QTest::newRow("environment") << QStringList{} << "nonsense" << "ZPVW_WINCH";
}

void TestAcquisition::programRejectsMalformedAddress()
{
    QFETCH(QStringList, args);
    QFETCH(QString, env);
    QFETCH(QString, errorPart);
    TestAppDir dir;
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("ZPVW_WINCH"), env);
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(e);
    p.start(testBinDir() + QStringLiteral("/zpvw"), args);
    QVERIFY(p.waitForStarted(10000));
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished(5000);
        QFAIL("the program did not end on a malformed winch address");
    }
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 2);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("invalid winch address")) && err.contains(errorPart), qPrintable(err));
}

void TestAcquisition::threadRunsBottomToEnd()
{
    m_info.sampleMode = SampleModes::Manual;
    m_info.holeDepth = m_info.maxDepth = 1000;
    m_info.moveDistance = 100;
    QueryThread thread;
    thread.setValueSource([] { return 7.5f; });
    thread.setSettings(acqSettingsOf(m_info));
    ReportTaker taker(thread);

    taker.request(AcqRequest::State, AcqState::AtBottom);
    thread.start();
    QTRY_VERIFY_WITH_TIMEOUT(thread.isRunning(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(taker.list.size(), 1, 5000);
    QCOMPARE(m_device.inits.load(), 1);
    for (int step = 1; step <= 10; ++step) {
        addHeight(100);
        QTRY_COMPARE_WITH_TIMEOUT(taker.list.size(), 1 + step, 5000);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!thread.isRunning(), 5000);
    QVERIFY(thread.wait(5000));
    QTRY_COMPARE_WITH_TIMEOUT(taker.count(AcqNotice::QueryThreadFinish), 1, 2000);
    QCOMPARE(taker.offGui, 0);
    // The taker's copy followed the thread's: at the end, the end reported.
    QCOMPARE(taker.mirror.state(), AcqState::End);
    QVERIFY(taker.mirror.control().finishSent);
    QVERIFY(taker.mirror.control().endReached);
    QCOMPARE(taker.mirror.pending(), 0);
    QCOMPARE(taker.count(AcqNotice::RaiseBegunEvent), 1);
    QCOMPARE(taker.count(AcqNotice::BtnTextByState), 1);
    QCOMPARE(taker.textWord, uint(AcqState::Raising));
    QCOMPARE(taker.count(AcqNotice::HandleLeakPoint), 0);
    QVector<int> got;
    for (const Sample &s : taker.list.snapshot()) {
        got << s.depth;
        QCOMPARE(s.resistivity, 7.5f);
    }
    QCOMPARE(got, (QVector<int>{1000, 900, 800, 700, 600, 500, 400, 300, 200, 100, 0}));
}

void TestAcquisition::threadRestartWhileStopping()
{
    m_info.sampleMode = SampleModes::Manual;
    QueryThread thread;
    thread.setValueSource([] { return 0.0f; });
    thread.setSettings(acqSettingsOf(m_info));
    thread.post(1, {AcqRequest::State, AcqState::Idle});
    QSignalSpy quits(&thread, &QueryThread::HandleQuitLeakPoint);
    thread.start();
    QTRY_VERIFY_WITH_TIMEOUT(thread.isRunning(), 5000);
    // A stop followed at once by a start leaves the thread running.
    thread.stop();
    thread.start();
    QTest::qWait(200);
    QVERIFY(thread.isRunning());
    QVERIFY(!thread.isStopped());
    thread.pause();
    QCOMPARE(quits.count(), 2);
    thread.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!thread.isRunning(), 5000);
    QVERIFY(thread.wait(5000));
    // A finished thread starts again.
    thread.start();
    QTRY_VERIFY_WITH_TIMEOUT(thread.isRunning(), 5000);
    thread.stop();
    QVERIFY(thread.wait(5000));
    QVERIFY(!thread.isRunning());
}

QTEST_MAIN(TestAcquisition)
#include "tst_acquisition.moc"
