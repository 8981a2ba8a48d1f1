#pragma once
// Helpers shared by the test executables.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
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

// What a child process left: its exit code (-1 when it crashed, did not
// start or outlived its time) and its two output channels.
struct ChildRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    bool timedOut = false;
};
// Runs a program to its end, at most limitMs; one that outlives it is asked
// to end (so that a script stops what it started), then killed.
ChildRun runChild(const QString &program, const QStringList &args,
                  const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(), int limitMs = 120000);
