// cmake --install lays out the board's folder: the program and its two
// siblings side by side with an example basic configuration the program
// reads, and a systemd unit that starts the installed program on the frame
// buffer. An edited configuration survives a second install.

#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

namespace {
int install(const QString &prefix, const QProcessEnvironment &env, QString *output)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(ZPVW_CMAKE_COMMAND),
            {QStringLiteral("--install"), QStringLiteral(ZPVW_BINARY_DIR), QStringLiteral("--prefix"), prefix});
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished(5000);
        return -1;
    }
    *output = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}
}

class TestInstall : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
};

void TestInstall::layout_data()
{
    QTest::addColumn<bool>("destdir");
    QTest::newRow("prefix") << false;
    // As a package build stages it: DESTDIR in front, the board's prefix in
    // the unit.
    QTest::newRow("staged under DESTDIR") << true;
}

void TestInstall::layout()
{
    QFETCH(bool, destdir);
    TestAppDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString prefix = destdir ? QStringLiteral("/opt") : dir.file(QStringLiteral("opt"));
    const QString root = destdir ? dir.file(QStringLiteral("stage")) + prefix : prefix;
    if (destdir)
        env.insert(QStringLiteral("DESTDIR"), dir.file(QStringLiteral("stage")));
    else
        env.remove(QStringLiteral("DESTDIR"));

    QString output;
    QVERIFY2(install(prefix, env, &output) == 0, qPrintable(output));
    for (const char *program : {"zpvw", "zpvw-winchsim", "zpvw-hole"})
        QVERIFY2(QFileInfo(root + QLatin1Char('/') + QLatin1String(program)).isExecutable(), program);
    const QByteArray config = readFileBytes(root + QStringLiteral("/SysBaseConfig.INI"));
    QVERIFY(config.startsWith("<?xml version=\"1.0\" encoding=\"GB2312\" ?>"));
    QVERIFY(config.contains("<SysBaseConfigParam>"));
    const QString unit = QString::fromUtf8(readFileBytes(root + QStringLiteral("/share/zpvw/zpvw.service")));
    QVERIFY2(unit.contains(QStringLiteral("\nExecStart=%1/zpvw -platform linuxfb -qws\n").arg(prefix)),
             qPrintable(unit));

    // The board's own settings stay.
    const QByteArray edited = config + "<!-- edited -->\n";
    QVERIFY(writeFileBytes(root + QStringLiteral("/SysBaseConfig.INI"), edited));
    QVERIFY2(install(prefix, env, &output) == 0, qPrintable(output));
    QCOMPARE(readFileBytes(root + QStringLiteral("/SysBaseConfig.INI")), edited);
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
