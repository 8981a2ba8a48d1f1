#pragma once
// A data directory, a USB "disk", a command recorder and a test session for
// the file dialogs.
//
// The disk is a temporary folder set as the mount point; its device node is a
// temporary file (present) unless removed. Every command the dialogs run is
// recorded in `trace` with the paths written as the instrument sees them
// ("/mnt", "/dev/sda1", "DATA" for the data directory) and, while an export
// runs, the value and text its progress display shows at that moment:
//     "cp -rfa DATA/P/A12.CZO /mnt/P/ @1 正在导出文件：/dev/sda1/P/A12.PDF"
// The copy is carried out on the temporary disk so that later steps see it.

#include "platform.h"
#include "testsession.h"
#include "testsupport.h"
#include "modalanswerer.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

class QDialog;

// The offscreen platform warns about every dialog it shows; call from
// initTestCase (after the test library installed its own message handler).
void silenceOffscreenWarnings();

class FilesFixture {
public:
    FilesFixture();
    ~FilesFixture();

    // Creates dataDir/project/fileName with some bytes, modified at base + secs.
    QString makeFile(const QString &project, const QString &fileName, int secs, const QByteArray &bytes = "hole");
    // Creates a project folder modified at base + secs.
    QString makeProject(const QString &project, int secs);
    // Sets the modification time of a file or folder to base + secs.
    static void setTime(const QString &path, int secs);
    // Creates a file on the disk (mount point + "/" + relative).
    QString makeDiskFile(const QString &relative, const QByteArray &bytes = "old");

    QString norm(QString text) const;
    // Commands only, without the progress part.
    QStringList commands() const;
    // Names of the entries of a folder on the disk, sorted.
    QStringList diskEntries(const QString &relative) const;

    TestAppDir app;
    ScopedCommandRecorder recorder;
    QString dataDir;
    QString mountPoint;
    QString deviceNode;
    QStringList trace;
    // A command whose normalised text starts with this fails with exit code 1.
    QString failOn;
    // The session the dialogs work on (the screen's own kind).
    CTestSession session;

private:
    int handle(const QString &program, const QStringList &args);
};

// One answer of a file operation's dialogs: the dialog class expected next
// and the button to press.
struct Step {
    QByteArray className;
    QByteArray button;
};

// The answers the file dialogs' tests give.
namespace Answer {
const Step openItem{"CDlgFileOpt", "BtnOpen"};
const Step exportItem{"CDlgFileOpt", "BtnExport"};
const Step deleteItem{"CDlgFileOpt", "BtnDel"};
const Step chooserReturn{"CDlgFileOpt", "BtnReturn"};
const Step okQuestion{"CDlgMsgQuestion", "BtnOK"};
const Step cancelQuestion{"CDlgMsgQuestion", "BtnCancel"};
const Step okMessage{"CDlgMsgBox", "BtnOK"};
}

// Arms answerer to press the steps' buttons in turn; the dialogs are logged
// with their message or, for the operation chooser, its file lines. A step
// whose button is missing rejects its dialog and logs "NO BUTTON".
void expectPresses(ModalAnswerer &answerer, const QList<Step> &steps);

// Runs action while answering the dialogs with steps; returns what they said,
// followed by "UNUSED STEPS" when fewer dialogs appeared than expected.
// watched, when given, is called for each export progress display.
QStringList answering(const QList<Step> &steps, const std::function<void()> &action,
                      const std::function<void(QDialog *)> &watched = nullptr);
