#include "archivefixture.h"

#include "ctrlinfo.h"
#include "holefile.h"
#include "postgresserver.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <pwd.h>
#include <unistd.h>

QVector<Sample> holeSamples(const HoleShape &shape)
{
    QVector<Sample> v;
    for (int i = 0; i < shape.samples; ++i) {
        Sample s;
        s.depth = shape.depthMm - 50 * i; // bottom first, as the probe rises
        const bool sediment = shape.depthMm - s.depth < shape.thicknessCm * 10;
        s.resistivity = (sediment ? 30.0f : 12.0f) + float(i % 7) * 0.1f;
        s.rawResistivity = s.resistivity;
        v.append(s);
    }
    return v;
}

QByteArray holeFileBytes(const HoleShape &shape)
{
    CtrlInfo info;
    info.projectName = shape.project;
    info.holeNo = shape.hole;
    info.testDate = shape.date;
    info.testTime = shape.time;
    info.tester = shape.tester;
    info.testUnit = shape.unit;
    info.constructionUnit = QStringLiteral("Builder");
    info.holeDepth = shape.depthMm;
    info.maxDepth = shape.depthMm;
    info.sedimentThickness = shape.thicknessCm;
    info.holeQuality = shape.quality;
    info.paramDate = QStringLiteral("20151030");
    if (shape.limitMm >= 0) {
        info.acceptance.code = QStringLiteral("JGJ 94-2008");
        info.acceptance.pileType = QString::fromUtf8("端承桩");
        info.acceptance.limitMm = shape.limitMm;
        info.acceptance.verdict = shape.verdict;
        info.acceptance.sequence = shape.sequence;
    }
    info.acceptance.overridden = shape.overridden;
    info.acceptance.overrideReason = shape.overrideReason;
    info.acceptance.holeNumberKept = shape.holeNumberKept;
    info.acceptance.awaitingJudgement = shape.awaitingJudgement;
    return encodeHoleFile(info, holeSamples(shape));
}

QByteArray withoutHead(const QByteArray &importLog)
{
    QList<QByteArray> lines = importLog.trimmed().split('\n');
    if (!lines.last().startsWith("audit trail head ") || lines.last().size() != 17 + 64)
        return QByteArray();
    lines.removeLast();
    return lines.join('\n');
}

ToolRun runArchiveTool(const QStringList &args, const QStringList &extraEnv, const QStringList &prefix)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &e : extraEnv)
        env.insert(e.section(QLatin1Char('='), 0, 0), e.section(QLatin1Char('='), 1));
    const QString tool = testBinDir() + QStringLiteral("/zpvw-archive");
    if (prefix.isEmpty())
        return runChild(tool, args, env);
    return runChild(prefix.first(), prefix.mid(1) << tool << args, env);
}

namespace {
QStringList asNobody()
{
    return {QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
            QStringLiteral("--clear-groups"), QStringLiteral("--")};
}
} // namespace

CTestEngine::CTestEngine()
{
    m_postgres = qEnvironmentVariable("ZPVW_ARCHIVE_ENGINE") == QLatin1String("postgresql");
    // Others (the server run as nobody, the tool run as nobody) must reach
    // into the folder.
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                            | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                            | QFileDevice::ExeOther);
    if (!m_postgres)
        return;
    if (CPostgresServer::binDir().isEmpty()) {
        m_absent = true;
        m_error = QStringLiteral("PostgreSQL server binaries (Debian package postgresql) are not installed");
        return;
    }
    m_server.reset(new CPostgresServer(m_dir.path() + QStringLiteral("/pg")));
    QDir().mkpath(m_dir.path() + QStringLiteral("/pg"));
    if (!m_server->start(&m_error))
        m_server.reset();
}

CTestEngine::~CTestEngine()
{
    if (m_server)
        m_server->stop();
}

bool CTestEngine::ready(QString *why) const
{
    if (!m_postgres || m_server)
        return true;
    *why = m_error;
    return false;
}

QString CTestEngine::freshArchive()
{
    ++m_count;
    if (!m_postgres)
        return m_dir.path() + QStringLiteral("/archive%1.sqlite").arg(m_count);
    const QString name = QStringLiteral("archive%1").arg(m_count);
    QString error;
    if (!m_server->createDatabase(name, &error))
        qWarning("%s", qUtf8Printable(error));
    return m_server->url(name);
}

bool CTestEngine::ownClient(const QString &db, const QString &sql, QString *out)
{
    QString text, error;
    bool ok;
    if (m_postgres) {
        const QString name = QUrl(db).path().mid(1);
        ok = m_server->psql(name, sql, &text, &error);
    } else {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), db, sql});
        ok = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        text = QString::fromUtf8(p.readAll());
        error = text;
    }
    if (!ok)
        qWarning("own client failed: %s", qUtf8Printable(error));
    if (out)
        *out = text.trimmed();
    return ok;
}

bool CTestEngine::makeReadOnly(const QString &db, QStringList *toolPrefix)
{
    toolPrefix->clear();
    if (m_postgres) {
        const QString name = QUrl(db).path().mid(1);
        QString out, error;
        return m_server->psql(QStringLiteral("postgres"),
                              QStringLiteral("ALTER DATABASE \"%1\" SET default_transaction_read_only = on").arg(name),
                              &out, &error);
    }
    if (!QFile::setPermissions(db, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther))
        return false;
    // root writes through any permission: run the tool as somebody else.
    if (geteuid() == 0)
        *toolPrefix = asNobody();
    return true;
}
