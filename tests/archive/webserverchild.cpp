#include "webserverchild.h"

#include "testsupport.h"

#include <QElapsedTimer>
#include <QRegularExpression>

CServeChild::CServeChild(const QString &db, const QStringList &extra)
{
    m_process.start(testBinDir() + QStringLiteral("/zpvw-archive"),
                    QStringList{QStringLiteral("--db"), db, QStringLiteral("serve"), QStringLiteral("--listen"),
                                QStringLiteral("127.0.0.1:0")}
                        << extra);
    if (!m_process.waitForStarted(10000))
        return;
    static const QRegularExpression re(QStringLiteral("on https?://127\\.0\\.0\\.1:(\\d+)/"));
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 30000 && m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(200);
        m_output += QString::fromUtf8(m_process.readAllStandardOutput());
        const QRegularExpressionMatch m = re.match(m_output);
        if (m.hasMatch()) {
            m_port = m.captured(1).toInt();
            return;
        }
    }
    m_output += QString::fromUtf8(m_process.readAllStandardError());
}

CServeChild::~CServeChild()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}
