#pragma once
// zpvw-archive serve started as a child on 127.0.0.1 with a free port, and
// stopped (SIGTERM, then SIGKILL) when the object goes.

#include <QProcess>
#include <QString>

class CServeChild {
public:
    explicit CServeChild(const QString &db, const QStringList &extra = {});
    ~CServeChild();
    bool ok() const { return m_port > 0; }
    int port() const { return m_port; }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }
    QString output() const { return m_output; }
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    int m_port = -1;
    QString m_output;
};
