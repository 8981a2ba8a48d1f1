#pragma once
// Helpers shared by the test executables.

#include <QString>
#include <QTemporaryDir>

// A fresh application directory for one test: ZPVW_APP_DIR points at it (and
// ZPVW_ROOT_DIR at a fake machine root inside it) while the object lives.
class TestAppDir {
public:
    TestAppDir();
    ~TestAppDir();
    QString path() const { return m_dir.path(); }
    QString rootPath() const { return m_dir.path() + QStringLiteral("/root"); }
    QString file(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldApp;
    QByteArray m_oldRoot;
};

// Writes bytes to a file, creating folders; returns false on failure.
bool writeFileBytes(const QString &path, const QByteArray &bytes);
QByteArray readFileBytes(const QString &path);

// Folder holding the build's executables (tools started by tests).
QString testBinDir();
