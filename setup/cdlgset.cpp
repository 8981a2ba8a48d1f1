#include "cdlgset.h"

#include "commonutils.h"
#include "ctrlinfo.h"
#include "entrydialogs.h"
#include "pilelimits.h"
#include "testsession.h"
#include "sysconfig.h"
#include "ui_cdlgset.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>

CDlgSet::CDlgSet(CTestSession *session, QWidget *parent) : QDialog(parent), m_session(session), ui(new Ui::CDlgSet)
{
    ui->setupUi(this);
    // A group title has room for one line; catalogue texts may break theirs.
    for (QGroupBox *group : findChildren<QGroupBox *>())
        group->setTitle(group->title().replace(QLatin1Char('\n'), QLatin1Char(' ')));

    const bool small = QKRVCommomUtils::isSmallScreen();
    QRect area(0, 0, 1024, 768);
    if (small)
        area.setSize(QSize(800, 600));
    area.moveCenter(QKRVCommomUtils::screenRect().center());
    setGeometry(area);
    // Fields as tall as a fingertip allows on each screen.
    for (QWidget *w : findChildren<QWidget *>()) {
        if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w))
            w->setMinimumHeight(small ? 32 : 40);
    }
    // The hole group's sixth row (the basis) fits the small screen only with
    // tighter rows.
    if (small)
        ui->grid_gbPile->setVerticalSpacing(2);

    QString sheet;
    QKRVCommomUtils::loadStyleSheet(this, sheet, QString());

    fillCombos();
    loadFields();

    if (::style == 1)
        ui->showPic->SetColors(QColor(40, 46, 64), QColor(40, 46, 64));
    else
        ui->showPic->SetColors(QColor(236, 238, 242), QColor(Qt::white));

    for (QWidget *w : std::initializer_list<QWidget *>{
             ui->editGCMC, ui->editJCDW, ui->editSGDW, ui->editJCRY, ui->editGCLJ, ui->editPileName,
             ui->editPileLen, ui->editPileBG, ui->editPileD, ui->editAngle, ui->EPulleyD, ui->ELineD,
             ui->CBMove, ui->CBSampleMode, ui->editBasis, ui->CBPosition})
        w->installEventFilter(this);
}

CDlgSet::~CDlgSet() { delete ui; }

void CDlgSet::fillCombos()
{
    for (const char *move : {"10", "50", "100", "150", "200", "250", "500"})
        ui->CBMove->addItem(tr(move));
    // The wireless winch ("无线自动提升", second) is offered only by builds
    // with a wireless winch, which this instrument has not.
    // Each item carries its mode code, which is what the record keeps: the
    // texts change with the language, the codes do not.
    ui->CBSampleMode->addItem(tr("自动提升"), int(SampleModes::AutoRaise));
    ui->CBSampleMode->addItem(tr("手动提升"), int(SampleModes::Manual));
    ui->CBSampleMode->addItem(tr("手动(4s/m)"), int(SampleModes::Manual4));
    ui->CBSampleMode->addItem(tr("手动(6s/m)"), int(SampleModes::Manual6));
    ui->CBSampleMode->addItem(tr("手动(8s/m)"), int(SampleModes::Manual8));
    ui->CBPosition->addItem(tr("不指定"));
    for (int32_t p = MeasuringPosition::Centre; p <= MeasuringPosition::Last; ++p)
        ui->CBPosition->addItem(MeasuringPosition::text(p));
}

void CDlgSet::loadFields()
{
    // Nothing may hold the focus: the first touch of a field must count as
    // the focus entering it.
    ui->BtnOK->setFocus();
    const CtrlInfo &record = m_session->record();
    ui->editGCMC->setText(record.projectName.get());
    ui->editGCLJ->setText(record.projectPath.get());
    ui->editJCDW->setText(record.testUnit.get());
    ui->editSGDW->setText(record.constructionUnit.get());
    ui->editJCRY->setText(record.tester.get());
    ui->editPileName->setText(record.holeNo.get());
    ui->editPileLen->setText(SetupRules::metresText(record.maxDepth));
    ui->editPileBG->setText(SetupRules::metresText(record.elevation));
    ui->editPileD->setText(QString::number(record.holeDiameter.load()));
    ui->editAngle->setText(QString::number(record.offsetAngle.load()));
    ui->CBMove->setCurrentIndex(ui->CBMove->findText(QString::number(record.moveDistance.load())));
    ui->CBSampleMode->setCurrentIndex(ui->CBSampleMode->findData(int(record.sampleMode)));
    ui->EPulleyD->setText(SetupRules::millimetresText(record.wheelD));
    ui->ELineD->setText(SetupRules::millimetresText(record.lineD));
    m_basis = record.acceptance;
    showBasis();
    ui->CBPosition->setCurrentIndex(qBound(0, int(record.acceptance.position), ui->CBPosition->count() - 1));
    UpdateLocationDiagram();
}

void CDlgSet::showBasis()
{
    // The short form ("JGJ 94 端承桩", "设计值 80 mm") fits the small screen.
    const QString text = m_basis.designLimitMm > 0 ? basisFullText(m_basis) : basisLabel(m_basis);
    ui->editBasis->setText(text.isEmpty() ? tr("无") : text);
    ui->editBasis->setCursorPosition(0);
}

// A pile type of the limits table on the selection grid, or a design value
// in millimetres on the keypad; "无" clears the basis.
void CDlgSet::chooseBasis()
{
    setFocus(Qt::OtherFocusReason);
    const QVector<PileBasisChoice> choices = CPileLimits::instrument().choices();
    QStringList items{tr("无")};
    for (const PileBasisChoice &c : choices)
        items << shortCodeName(c.code) + QLatin1Char(' ') + pileTypeText(c.pileType);
    items << tr("设计值(mm)");
    const int designItem = items.size() - 1;
    items = items.mid(0, 15); // the grid's size
    int index = -1;
    if (!EntryDialogs::choose(tr("验收依据"), items, &index))
        return;
    HoleAcceptance basis;
    if (index == designItem) {
        float value = 0.0f;
        const QString current = m_basis.designLimitMm > 0 ? QString::number(m_basis.designLimitMm) : QString();
        if (!EntryDialogs::number(tr("设计值(mm)"), current, false, false, &value))
            return;
        if (value < 1.0f || value > 100000.0f) {
            EntryDialogs::message(tr("输入无效！设计值应在1~100000 mm之间！"));
            return;
        }
        basis.designLimitMm = SetupRules::truncToInt(value);
    } else if (index > 0 && index <= choices.size()) {
        basis.code = choices.at(index - 1).code;
        basis.pileType = choices.at(index - 1).pileType;
    }
    m_basis = basis;
    showBasis();
}

SetupFields CDlgSet::fields() const
{
    SetupFields f;
    f.projectName = ui->editGCMC->text();
    f.projectPath = ui->editGCLJ->text();
    f.testUnit = ui->editJCDW->text();
    f.constructionUnit = ui->editSGDW->text();
    f.tester = ui->editJCRY->text();
    f.holeNo = ui->editPileName->text();
    f.holeDepth = ui->editPileLen->text();
    f.elevation = ui->editPileBG->text();
    f.holeDiameter = ui->editPileD->text();
    f.angle = ui->editAngle->text();
    f.move = ui->CBMove->currentText();
    f.pulleyD = ui->EPulleyD->text();
    f.lineD = ui->ELineD->text();
    f.sampleMode = ui->CBSampleMode->currentIndex() < 0 ? -1 : ui->CBSampleMode->currentData().toInt();
    return f;
}

void CDlgSet::UpdateLocationDiagram()
{
    ui->showPic->SetTubeParams(4, SetupRules::fieldInt(ui->editAngle->text()));
}

bool CDlgSet::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && handleFocusIn(watched))
        return true;
    if (event->type() == QEvent::MouseButtonPress && handlePress(watched))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool CDlgSet::handleFocusIn(QObject *watched)
{
    if (watched == ui->editGCMC || watched == ui->editJCDW || watched == ui->editSGDW
        || watched == ui->editJCRY || watched == ui->editPileName) {
        enterText(static_cast<QLineEdit *>(watched));
    } else if (watched == ui->editGCLJ) {
        enterProjectPath();
    } else if (watched == ui->editPileLen) {
        enterHoleDepth();
    } else if (watched == ui->editPileBG) {
        enterDecimal(ui->editPileBG, tr("标高"), true, false, 2);
    } else if (watched == ui->editPileD) {
        enterDecimal(ui->editPileD, tr("孔径"), false, false, 0);
    } else if (watched == ui->editAngle) {
        enterAngle();
    } else if (watched == ui->editBasis) {
        chooseBasis(); // a touch presses it (it takes no focus); focus from code counts the same
    } else {
        return false;
    }
    return true;
}

bool CDlgSet::handlePress(QObject *watched)
{
    if (watched == ui->EPulleyD) {
        enterDecimal(ui->EPulleyD, tr("滑轮直径"), true, false, 1);
    } else if (watched == ui->ELineD) {
        enterDecimal(ui->ELineD, tr("电缆直径"), true, false, 1);
    } else if (watched == ui->CBMove) {
        selectItem(ui->CBMove, tr("移距"));
    } else if (watched == ui->editBasis) {
        chooseBasis();
    } else if (watched == ui->CBPosition) {
        selectItem(ui->CBPosition, tr("测点"));
    } else if (watched == ui->CBSampleMode) {
        if (ui->CBSampleMode->isEnabled())
            selectItem(ui->CBSampleMode, tr("采集提升方式"));
    } else {
        return false;
    }
    return true;
}

void CDlgSet::enterText(QLineEdit *edit)
{
    setFocus(Qt::OtherFocusReason);
    QString text;
    if (EntryDialogs::text(edit->text(), &text))
        edit->setText(SetupRules::cutToGbkBytes(text));
}

void CDlgSet::enterProjectPath()
{
    setFocus(Qt::OtherFocusReason);
    QString text;
    if (!EntryDialogs::text(ui->editGCLJ->text(), &text) || text.isEmpty())
        return;
    ui->editGCLJ->setText(text);
    m_session->setProjectPath(text);
}

bool CDlgSet::enterNumber(QLineEdit *edit, const QString &title, bool dot, bool sign, float *value)
{
    setFocus(Qt::OtherFocusReason);
    return EntryDialogs::number(title, edit->text(), dot, sign, value);
}

void CDlgSet::enterDecimal(QLineEdit *edit, const QString &title, bool dot, bool sign, int decimals)
{
    float value = 0.0f;
    if (enterNumber(edit, title, dot, sign, &value))
        edit->setText(SetupRules::fixedText(value, decimals));
}

void CDlgSet::enterHoleDepth()
{
    float value = 0.0f;
    if (!enterNumber(ui->editPileLen, tr("孔深"), true, false, &value))
        return;
    const QString depth = SetupRules::fixedText(value, 2);
    ui->editPileLen->setText(depth);
    switch (SetupRules::elevationAfterDepth(depth, ui->editPileBG->text())) {
    case SetupRules::ElevationAction::Ask:
        if (EntryDialogs::ask(tr("输入孔深大于标高，确定将标高设为与孔深相等吗？")))
            ui->editPileBG->setText(depth);
        break;
    case SetupRules::ElevationAction::Follow:
        ui->editPileBG->setText(depth);
        break;
    case SetupRules::ElevationAction::None:
        break;
    }
}

void CDlgSet::enterAngle()
{
    float value = 0.0f;
    if (!enterNumber(ui->editAngle, tr("偏移角"), false, true, &value))
        return;
    if (!SetupRules::angleAccepted(value)) {
        EntryDialogs::message(tr("输入无效！偏移角超出范围(-360~360)！"));
        return;
    }
    ui->editAngle->setText(SetupRules::fixedText(value, 0));
    UpdateLocationDiagram();
}

void CDlgSet::selectItem(QComboBox *combo, const QString &title)
{
    setFocus(Qt::OtherFocusReason);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    int chosen = -1;
    if (EntryDialogs::choose(title, items, &chosen))
        combo->setCurrentIndex(chosen);
}

int CDlgSet::CheckPara()
{
    const int failed = SetupRules::firstFailingCheck(fields());
    if (failed == 0)
        return 1;
    EntryDialogs::message(SetupRules::checkMessage(failed));
    return 0;
}

void CDlgSet::on_BtnOK_clicked()
{
    if (CheckPara() != 1)
        return;
    CtrlInfo edited = m_session->record();
    SetupRules::storeFields(fields(), edited);
    // A new basis or position starts a test not yet judged.
    HoleAcceptance &a = edited.acceptance;
    a.designLimitMm = m_basis.designLimitMm;
    a.code = m_basis.code;
    a.pileType = m_basis.pileType;
    a.position = ui->CBPosition->currentIndex();
    a.limitMm = -1;
    a.verdict = AcceptanceVerdict::NotJudged;
    a.overridden = false;
    m_session->storeSetup(edited);
    accept();
}
