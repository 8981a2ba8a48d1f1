#include "cdlgexportfile.h"
#include "ui_cdlgexportfile.h"

#include "browserpage.h"
#include "cdlgfileopt.h"
#include "cdlgprogress.h"
#include "commonutils.h"
#include "prompts.h"
#include "recordstyle.h"
#include "holefiles.h"
#include "itemtexts.h"
#include "summarywriters.h"
#include "testsession.h"
#include "usbdisk.h"
#include "cdlgselkey.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPushButton>

CDlgExportFile::CDlgExportFile(CTestSession *session, QWidget *parent)
    : QDialog(parent), m_session(session), ui(new Ui::CDlgExportFile)
{
    ui->setupUi(this);
    const QPoint bottomRight = QKRVCommomUtils::isSmallScreen() ? QPoint(899, 699) : QPoint(1123, 867);
    QRect r(QPoint(100, 100), bottomRight);
    r.moveCenter(QKRVCommomUtils::screenRect().center());
    setGeometry(r);
    QString sheet;
    QKRVCommomUtils::loadStyleSheet(this, sheet);

    itemButtons = {ui->BtnFile,    ui->BtnFile_2,  ui->BtnFile_3,  ui->BtnFile_4,  ui->BtnFile_5,
                   ui->BtnFile_6,  ui->BtnFile_7,  ui->BtnFile_8,  ui->BtnFile_9,  ui->BtnFile_10,
                   ui->BtnFile_11, ui->BtnFile_12, ui->BtnFile_13, ui->BtnFile_14, ui->BtnFile_15};
    for (QPushButton *b : itemButtons)
        b->installEventFilter(this);

    currentPage = projectListPage = 1;
    listMode = 0;
    currentProject.clear();
    RefreshList();

    ui->groupBox_3->hide();
    ui->BtnByTime_2->hide();
    ui->BtnByTime->hide();
    ui->BtnBySize->hide();
    ui->BtnByReserve->hide();
}

CDlgExportFile::~CDlgExportFile() { delete ui; }

QString CDlgExportFile::listedFolder() const
{
    const QString dir = m_session->dataDir();
    return listMode == 0 ? dir : dir + QLatin1Char('/') + currentProject;
}

const QStringList &CDlgExportFile::currentList() const { return listMode == 0 ? projectNames : holeNames; }

void CDlgExportFile::applyView(int page)
{
    const BrowserPage::View v = page > 0 ? BrowserPage::page(currentList(), page, false) : BrowserPage::blank();
    for (int i = 0; i < itemButtons.size(); ++i) {
        // A hole's entry (its files read now, only this page's) gives its text.
        const QString text = listMode == 1 && i < v.shown
            ? HoleList::buttonText(m_holes.entry((page - 1) * itemsPerPage + i))
            : v.texts.at(i);
        itemButtons.at(i)->setText(text);
        itemButtons.at(i)->setEnabled(i < v.shown);
    }
    ui->lbPageShow->setText(v.label);
    ui->BtnPre->setEnabled(v.preEnabled);
    ui->BtnNext->setEnabled(v.nextEnabled);
    ui->BtnDelAll->setEnabled(v.allEnabled);
    ui->BtnExportAll->setEnabled(v.allEnabled);
}

void CDlgExportFile::RefreshList()
{
    if (listMode == 0) {
        ui->BtnReturn->setEnabled(false);
        ui->BtnDelAll->setText(tr("删除所有工程文件"));
        ui->BtnExportAll->setText(tr("导出所有工程文件"));
        ui->gbTitle->setTitle(tr("工程列表"));
    } else {
        ui->BtnReturn->setEnabled(true);
        ui->BtnDelAll->setText(tr("删除当前工程文件"));
        ui->BtnExportAll->setText(tr("导出当前工程文件"));
        ui->gbTitle->setTitle(currentProject + tr("工程桩号列表"));
    }
    applyView(0);

    const QString dir = listedFolder();
    if (!QFileInfo(dir).isDir()) {
        projectNames.clear();
        fileNames.clear();
        holeNames.clear();
    } else if (listMode == 0) {
        projectNames = HoleFiles::listProjects(dir);
    } else {
        m_holes.load(dir);
        fileNames = m_holes.fileNames();
        holeNames = m_holes.holeNames();
    }
    pageCount = BrowserPage::pageCount(currentList().size());
    if (currentPage > 0) {
        currentPage = BrowserPage::clampPage(currentPage, currentList().size());
        if (currentPage >= 1)
            ShowPage(currentPage);
    }
}

void CDlgExportFile::ShowPage(int p)
{
    if (currentList().isEmpty()) {
        applyView(0);
        return;
    }
    if (p > pageCount)
        return;
    applyView(p);
}

void CDlgExportFile::on_BtnPre_clicked()
{
    if (currentPage > 1)
        ShowPage(--currentPage);
}

void CDlgExportFile::on_BtnNext_clicked()
{
    if (currentPage < pageCount)
        ShowPage(++currentPage);
}

void CDlgExportFile::on_BtnReturn_clicked()
{
    currentPage = projectListPage;
    listMode = 0;
    RefreshList();
}

void CDlgExportFile::on_BtnQuit_clicked() { reject(); }

void CDlgExportFile::writeSummary(const QString &projectPath)
{
    QString csv, pdf, error;
    if (writeProjectSummaryFiles(projectPath, &csv, &pdf, &error))
        Prompts::showMessage(tr("工程汇总已保存：\n%1\n%2").arg(QFileInfo(csv).fileName(), QFileInfo(pdf).fileName()), this);
    else
        Prompts::showMessage(tr("工程汇总保存失败！"), this);
}

void CDlgExportFile::sortBy(int choice)
{
    sortChoice = choice;
    RefreshList();
}

void CDlgExportFile::on_BtnByTime_2_clicked() { sortBy(0); }
void CDlgExportFile::on_BtnByTime_clicked() { sortBy(1); }
void CDlgExportFile::on_BtnBySize_clicked() { sortBy(2); }
void CDlgExportFile::on_BtnByReserve_clicked() { sortBy(3); }

bool CDlgExportFile::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const int index = itemButtons.indexOf(qobject_cast<QPushButton *>(watched));
        if (index >= 0 && itemButtons.at(index)->isEnabled()) {
            OnItemPressed(index);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CDlgExportFile::OnItemPressed(int index)
{
    const int k = (currentPage - 1) * itemsPerPage + index;
    if (index < 0 || index >= itemButtons.size() || k < 0 || k >= currentList().size())
        return;
    QString name = currentList().at(k);
    const QString dir = m_session->dataDir();
    ItemTexts texts;
    if (listMode == 1) {
        const QString file = chooseTest(m_holes.entry(k));
        if (file.isEmpty())
            return;
        // The file keeps its own extension, so a file saved in lower case is
        // opened, exported and deleted under its real name.
        name = file.left(file.size() - 4);
        texts = ItemDescription::holeFile(dir + QLatin1Char('/') + currentProject, file, name);
    } else {
        texts = ItemDescription::project(dir, name);
        projectListPage = currentPage;
    }

    CDlgFileOpt opt(this);
    opt.nameText = texts.nameText;
    opt.sizeText = texts.sizeText;
    opt.timeText = texts.timeText;
    opt.listMode = listMode;
    opt.SetLabels();
    if (opt.exec() != QDialog::Accepted)
        return;

    switch (opt.action) {
    case CDlgFileOpt::Open:
        if (listMode == 1) {
            m_session->openForReview(texts.path);
            accept();
        } else {
            currentPage = 1;
            listMode = 1;
            currentProject = name;
            RefreshList();
        }
        break;
    case CDlgFileOpt::Export:
        exportItem(name, texts.path);
        break;
    case CDlgFileOpt::Summary:
        writeSummary(texts.path);
        break;
    case CDlgFileOpt::Delete:
        deleteItem(texts.path);
        break;
    default:
        break;
    }
}

QString CDlgExportFile::chooseTest(const HoleList::Entry &hole)
{
    if (hole.tests.size() <= 1)
        return hole.latestFile();
    CDlgSelKey grid(this);
    grid.m_strTitle = tr("%1 的测试").arg(hole.hole);
    const int shown = qMin(int(hole.tests.size()), CDlgSelKey::kItemCount - 1);
    for (int i = 0; i < shown; ++i) {
        const QString &f = hole.tests.at(i);
        grid.m_strItem[i] = f.left(f.size() - 4);
        grid.m_bItemEnabled[i] = true;
    }
    grid.UpdateButtons();
    if (grid.exec() != QDialog::Accepted || grid.m_nSelected < 0 || grid.m_nSelected >= shown)
        return QString();
    return hole.tests.at(grid.m_nSelected);
}

void CDlgExportFile::closeOpenFileWithin(const QString &path)
{
    const QString open = m_session->openFile();
    if (!open.isEmpty() && HoleFiles::isWithin(open, path))
        m_session->closeReview();
}

template <typename Init>
void CDlgExportFile::runExport(Init init)
{
    if (!UsbDisk::isPresent()) {
        Prompts::showMessage(tr("导出数据失败, 找不到设备!"), this);
        return;
    }
    CDlgProgress progress(m_session->dataDir(), recordFont(m_session->record(), 2), this);
    progress.fileMode = listMode == 1;
    progress.project = currentProject;
    progress.listedNames = listMode == 1 ? fileNames : projectNames;
    init(progress);
    if (progress.failed())
        Prompts::showMessage(progress.failureText(), this);
    else if (progress.unmountFailed())
        Prompts::showMessage(tr("导出完成，但U盘未能卸载，请勿直接拔出U盘!"), this);
    else
        Prompts::showMessage(tr("导出完成！已写入 %1").arg(progress.destination()), this);
}

void CDlgExportFile::exportItem(const QString &name, const QString &path)
{
    runExport([&](CDlgProgress &progress) { progress.SetInit(name, path); });
}

void CDlgExportFile::on_BtnExportAll_clicked()
{
    runExport([](CDlgProgress &progress) { progress.SetInit(); });
}

void CDlgExportFile::deleteItem(const QString &path)
{
    if (!Prompts::ask(tr("确定要删除吗?"), false, this))
        return;
    closeOpenFileWithin(path);
    const QString root = m_session->dataDir();
    bool ok = true;
    if (listMode == 1) {
        for (const QString &f : HoleFiles::companionFiles(path))
            ok = HoleFiles::removeTree(f, root) && ok;
        RefreshList();
        Prompts::showMessage(ok ? tr("删除文件成功!") : tr("删除文件失败!"), this);
    } else {
        ok = HoleFiles::removeTree(path, root);
        RefreshList();
        Prompts::showMessage(ok ? tr("删除工程成功!") : tr("删除工程失败!"), this);
    }
}

void CDlgExportFile::on_BtnDelAll_clicked()
{
    const QString question =
        listMode == 0 ? tr("确定要删除所有工程及其桩文件?") : tr("确定要删除当前工程下的所有桩文件?");
    if (!Prompts::ask(question, false, this))
        return;
    const QString root = m_session->dataDir();
    const QString target = listMode == 0 ? root : root + QLatin1Char('/') + currentProject;
    closeOpenFileWithin(target);
    const bool ok = HoleFiles::removeTree(target, root);
    if (listMode == 0 && !QFileInfo::exists(root))
        QDir().mkpath(root);
    RefreshList();
    Prompts::showMessage(ok ? tr("删除成功!") : tr("删除失败!"), this);
    if (listMode == 1)
        on_BtnReturn_clicked();
}
