#include "cdlgprogress.h"
#include "ui_cdlgprogress.h"

#include "commonutils.h"
#include "ctrlinfo.h"
#include "recordstyle.h"
#include "dialogfont.h"
#include "prompts.h"
#include "holefiles.h"

#include <QCoreApplication>
#include <QTimer>

CDlgProgress::CDlgProgress(const QString &dataDir, const QFont &font, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint), ui(new Ui::CDlgProgress),
      m_dataDir(dataDir)
{
    ui->setupUi(this);
    setFont(font);
    // A widget's own style sheet outweighs the theme's rules for it.
    ui->lbShow->setStyleSheet(DialogFont::rule(font));
    const QRect screen = QKRVCommomUtils::screenRect();
    setFixedHeight(screen.height() * 3 / 10);
    setFixedWidth(screen.width() - 40);
    startTimer = new QTimer(this);
    startTimer->setSingleShot(true);
    startTimer->setInterval(100);
    connect(startTimer, &QTimer::timeout, this, &CDlgProgress::OnTimer);

    m_export.setValue = [this](int value, const QString &text) { SetValue(value, text); };
    m_export.ask = [this](const QString &question) { return Prompts::ask(question, true, this); };
}

CDlgProgress::~CDlgProgress() { delete ui; }

void CDlgProgress::start(int maximum)
{
    ui->pBarProgress->setRange(0, maximum);
    ui->pBarProgress->setValue(0);
    startTimer->start();
    exec();
}

void CDlgProgress::SetInit(QString pi, QString path)
{
    itemName = pi;
    itemPath = path;
    if (fileMode) {
        task = OneFile;
        itemCount = 1;
        start(2);
    } else {
        task = OneProject;
        itemCount = HoleFiles::countHoleFiles(path);
        start(2 * itemCount + 1);
    }
}

void CDlgProgress::SetInit()
{
    projectCounts.clear();
    if (fileMode) {
        task = AllFiles;
        itemCount = listedNames.size();
    } else {
        task = AllProjects;
        itemCount = 0;
        const QString dir = m_dataDir;
        for (const QString &name : listedNames) {
            const int n = HoleFiles::countHoleFiles(dir + QLatin1Char('/') + name);
            projectCounts.append(qMakePair(name, n));
            itemCount += n;
        }
    }
    start(2 * itemCount);
}

void CDlgProgress::SetValue(int value, QString text)
{
    if (!text.isEmpty())
        ui->lbShow->setText(text);
    if (value >= ui->pBarProgress->minimum() && value <= ui->pBarProgress->maximum())
        ui->pBarProgress->setValue(value);
    // The commands block the event loop; let the label and bar paint.
    QCoreApplication::processEvents();
}

void CDlgProgress::OnTimer()
{
    startTimer->stop();
    switch (task) {
    case AllProjects:
        ExportAllPro();
        break;
    case OneProject:
        ExportAPro();
        break;
    case AllFiles:
        ExportAllFile();
        break;
    case OneFile:
        ExportAFile();
        break;
    default:
        break;
    }
    accept();
}

void CDlgProgress::ExportAllPro() { m_export.exportAllProjects(projectCounts, m_dataDir, itemCount); }

void CDlgProgress::ExportAPro() { m_export.exportAProject(itemName, itemPath, itemCount); }

void CDlgProgress::ExportAllFile()
{
    m_export.exportAllFiles(project, listedNames, m_dataDir);
}

void CDlgProgress::ExportAFile()
{
    m_export.exportAFile(project, itemName, itemPath);
}
