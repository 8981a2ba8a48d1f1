#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

TestAppDir::TestAppDir()
    : m_dir(QDir::tempPath() + QStringLiteral("/zpvw-test-XXXXXX")),
      m_oldApp(qgetenv("ZPVW_APP_DIR")), m_oldRoot(qgetenv("ZPVW_ROOT_DIR"))
{
    QDir().mkpath(rootPath());
    qputenv("ZPVW_APP_DIR", QFile::encodeName(m_dir.path()));
    qputenv("ZPVW_ROOT_DIR", QFile::encodeName(rootPath()));
}

TestAppDir::~TestAppDir()
{
    if (m_oldApp.isEmpty())
        qunsetenv("ZPVW_APP_DIR");
    else
        qputenv("ZPVW_APP_DIR", m_oldApp);
    if (m_oldRoot.isEmpty())
        qunsetenv("ZPVW_ROOT_DIR");
    else
        qputenv("ZPVW_ROOT_DIR", m_oldRoot);
}

bool writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QByteArray readFileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

QString testBinDir()
{
    const QString dir = QProcessEnvironment::systemEnvironment().value(QStringLiteral("ZPVW_TEST_BIN_DIR"));
    return dir;
}

ChildRun runChild(const QString &program, const QStringList &args, const QProcessEnvironment &env, int limitMs)
{
    ChildRun r;
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return r;
    if (!p.waitForFinished(limitMs)) {
        r.timedOut = true;
        p.terminate();
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished(5000);
        }
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}
