#include "filesfixture.h"

#include "buttontextfit.h"
#include "sessionsetup.h"

#include "cdlgprogress.h"
#include "ctrlinfo.h"
#include "usbdisk.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>

namespace {
QtMessageHandler gTestHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("propagateSizeHints")))
        return;
    if (gTestHandler)
        gTestHandler(type, context, message);
}

const QDateTime kBase(QDate(2023, 3, 8), QTime(10, 0, 0));
}

void silenceOffscreenWarnings()
{
    QtMessageHandler previous = qInstallMessageHandler(quietHandler);
    if (previous != quietHandler)
        gTestHandler = previous;
}

FilesFixture::FilesFixture()
{
    dataDir = app.file(QStringLiteral("ZPV_CZL-FILE"));
    mountPoint = app.file(QStringLiteral("usb"));
    deviceNode = app.file(QStringLiteral("sda1"));
    QDir().mkpath(dataDir);
    QDir().mkpath(mountPoint);
    writeFileBytes(deviceNode, QByteArray());
    editSessionRecord(&session, [this](CtrlInfo &r) { r.dataDir = dataDir; });
    UsbDisk::setDeviceNode(deviceNode);
    UsbDisk::setMountPoint(mountPoint);
    recorder.recorder.setHandler([this](const QString &p, const QStringList &a) { return handle(p, a); });
}

FilesFixture::~FilesFixture()
{
    recorder.recorder.setHandler(nullptr);
    UsbDisk::setDeviceNode(QString());
    UsbDisk::setMountPoint(QString());
}

void FilesFixture::setTime(const QString &path, int secs)
{
    const timespec t{time_t(kBase.toSecsSinceEpoch() + secs), 0};
    const timespec times[2] = {t, t};
    utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

QString FilesFixture::makeFile(const QString &project, const QString &fileName, int secs, const QByteArray &bytes)
{
    const QString dir = dataDir + QLatin1Char('/') + project;
    const QFileInfo folder(dir);
    const bool existed = folder.exists();
    const QDateTime folderTime = folder.lastModified();
    const QString path = dir + QLatin1Char('/') + fileName;
    writeFileBytes(path, bytes);
    setTime(path, secs);
    // Adding a file must not reorder the projects.
    if (existed)
        setTime(dir, int(folderTime.toSecsSinceEpoch() - kBase.toSecsSinceEpoch()));
    return path;
}

QString FilesFixture::makeProject(const QString &project, int secs)
{
    const QString dir = dataDir + QLatin1Char('/') + project;
    QDir().mkpath(dir);
    setTime(dir, secs);
    return dir;
}

QString FilesFixture::makeDiskFile(const QString &relative, const QByteArray &bytes)
{
    const QString path = mountPoint + QLatin1Char('/') + relative;
    writeFileBytes(path, bytes);
    return path;
}

QString FilesFixture::norm(QString text) const
{
    text.replace(mountPoint, QStringLiteral("/mnt"));
    text.replace(deviceNode, QStringLiteral("/dev/sda1"));
    text.replace(dataDir, QStringLiteral("DATA"));
    return text;
}

QStringList FilesFixture::commands() const
{
    QStringList out;
    for (const QString &t : trace)
        out << t.section(QStringLiteral(" @"), 0, 0);
    return out;
}

QStringList FilesFixture::diskEntries(const QString &relative) const
{
    QStringList names = QDir(mountPoint + QLatin1Char('/') + relative)
                            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    return names;
}

int FilesFixture::handle(const QString &program, const QStringList &args)
{
    QString entry = norm((QStringList() << program << args).join(QLatin1Char(' ')));
    const bool fails = !failOn.isEmpty() && entry.startsWith(failOn);
    if (auto *progress = qobject_cast<CDlgProgress *>(QApplication::activeModalWidget())) {
        auto *bar = progress->findChild<QProgressBar *>(QStringLiteral("pBarProgress"));
        auto *label = progress->findChild<QLabel *>(QStringLiteral("lbShow"));
        entry += QStringLiteral(" @%1 %2").arg(bar ? bar->value() : -2).arg(label ? norm(label->text()) : QString());
    }
    trace << entry;
    if (fails)
        return 1;
    if (program == QLatin1String("cp") && args.size() == 3) {
        const QString source = args.at(1);
        QString target = args.at(2);
        if (!QFileInfo(source).isFile())
            return 1;
        if (target.endsWith(QLatin1Char('/')) || QFileInfo(target).isDir())
            target = QDir(target).filePath(QFileInfo(source).fileName());
        QFile::remove(target);
        return QFile::copy(source, target) ? 0 : 1;
    }
    return 0;
}

namespace {
QString fileOperationText(QWidget *w)
{
    const QString message = ModalAnswerer::messageOf(w);
    if (!message.isNull())
        return message;
    // A selection grid: its title and the choices it offers.
    auto *title = w->findChild<QLabel *>(QStringLiteral("DlgTitleBarTitle"));
    if (title && w->findChild<QAbstractButton *>(QStringLiteral("Btn16"))) {
        QStringList items{title->text()};
        for (int i = 1; i <= 15; ++i) {
            auto *b = w->findChild<QAbstractButton *>(QStringLiteral("Btn%1").arg(i));
            if (b && b->isEnabled())
                items << wholeButtonText(b);
        }
        return items.join(QStringLiteral(" | "));
    }
    QStringList lines;
    for (const char *name : {"lbFileName", "lbFileSize", "lbFileTime"}) {
        auto *label = w->findChild<QLabel *>(QString::fromLatin1(name));
        if (label && !label->isHidden())
            lines << label->text();
    }
    return lines.join(QStringLiteral(" | "));
}
}

void expectPresses(ModalAnswerer &answerer, const QList<Step> &steps)
{
    answerer.setDescriber(fileOperationText);
    ModalAnswerer *a = &answerer;
    for (const Step &step : steps) {
        const QByteArray button = step.button;
        answerer.expect(step.className.constData(), [a, button](QWidget *w) {
            auto *b = w->findChild<QAbstractButton *>(QString::fromLatin1(button));
            if (!b || !b->isVisible() || !b->isEnabled()) {
                a->prefixLastSeen(QStringLiteral("NO BUTTON ") + QString::fromLatin1(button) + QLatin1Char(' '));
                ModalAnswerer::reject(w);
                return;
            }
            QTest::mouseClick(b, Qt::LeftButton);
        });
    }
}

QStringList answering(const QList<Step> &steps, const std::function<void()> &action,
                      const std::function<void(QDialog *)> &watched)
{
    ModalAnswerer answerer;
    expectPresses(answerer, steps);
    answerer.watch("CDlgProgress", [watched](QWidget *w) {
        if (watched)
            watched(qobject_cast<QDialog *>(w));
    });
    answerer.start(30000, 2);
    action();
    QStringList seen = answerer.seen();
    if (answerer.outOfBudget())
        seen << QStringLiteral("TIMEOUT");
    if (!answerer.done())
        seen << QStringLiteral("UNUSED STEPS");
    return seen;
}
