#include "keyboard.h"

#include "commonutils.h"
#include "frmmessagebox.h"
#include "ui_keyboard.h"

#include <QButtonGroup>
#include <QMessageBox>
#include <QTextCodec>

namespace {
// Symbols on the digit keys with shift on, in digit order 0 to 9.
const char kShiftedDigits[] = ")!@#~[^-](";

bool isDigitId(int id) { return id >= '0' && id <= '9'; }
bool isLetterId(int id) { return id >= 'A' && id <= 'Z'; }

QTextCodec *gbk()
{
    static QTextCodec *codec = QTextCodec::codecForName("GBK");
    return codec;
}
}

keyboard::keyboard(const QString &initialText, const QString &title, QWidget *parent)
    : QDialog(parent), ui(new Ui::keyboard)
{
    ui->setupUi(this);
    QString sheet;
    QKRVCommomUtils::loadStyleSheet(this, sheet, QString());

    m_keyGroup = new QButtonGroup(this);
    m_barGroup = new QButtonGroup(this);
    registerKeys();
    connect(m_keyGroup, &QButtonGroup::idClicked, this, &keyboard::keyPressed);
    connect(m_barGroup, &QButtonGroup::idClicked, this, &keyboard::barPressed);

    m_nMode = 0;
    m_bCapsLock = false;
    m_bShift = false;
    m_cDictLetter = ' ';
    updateKeyCaps();
    ui->DlgClientWidget->setVisible(false);
    clearCandidates();

    ui->valueEdit->setText(initialText);
    ui->valueEdit->selectAll();
    ui->valueEdit->setFocus();

    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    const QSize size = QKRVCommomUtils::isSmallScreen() ? QSize(800, 600) : QSize(1024, 768);
    QRect r(QPoint(0, 0), size);
    r.moveCenter(QKRVCommomUtils::screenRect().center());
    setGeometry(r);

    ui->Key_Close->setText(tr("关闭"));
    ui->Key_Comma->setVisible(false);
    ui->Key_Colon->setVisible(false);
    ui->listDown->setEnabled(false);
    ui->listUp->setEnabled(false);
    ui->key_Space->setEnabled(false);
    ui->DlgTitleBarTitle->setText(title);
}

keyboard::~keyboard()
{
    m_dictFile.close();
    delete ui;
}

void keyboard::registerKeys()
{
    QPushButton *const digits[] = {ui->key_0, ui->key_1, ui->key_2, ui->key_3, ui->key_4,
                                   ui->key_5, ui->key_6, ui->key_7, ui->key_8, ui->key_9};
    for (int d = 0; d < 10; ++d)
        m_keyGroup->addButton(digits[d], '0' + d);
    QPushButton *const letters[] = {ui->key_A, ui->key_B, ui->key_C, ui->key_D, ui->key_E, ui->key_F, ui->key_G,
                                    ui->key_H, ui->key_I, ui->key_J, ui->key_K, ui->key_L, ui->key_M, ui->key_N,
                                    ui->key_O, ui->key_P, ui->key_Q, ui->key_R, ui->key_S, ui->key_T, ui->key_U,
                                    ui->key_V, ui->key_W, ui->key_X, ui->key_Y, ui->key_Z};
    for (int l = 0; l < 26; ++l)
        m_keyGroup->addButton(letters[l], 'A' + l);
    m_keyGroup->addButton(ui->key_minus, '-');
    m_keyGroup->addButton(ui->Key_Comma, ',');
    m_keyGroup->addButton(ui->Key_Colon, ':');
    m_keyGroup->addButton(ui->key_Space, ' ');
    m_keyGroup->addButton(ui->key_Enter, Qt::Key_Enter);
    m_keyGroup->addButton(ui->key_Backspace, Qt::Key_Backspace);
    m_keyGroup->addButton(ui->key_Cap_Lock, Qt::Key_CapsLock);
    m_keyGroup->addButton(ui->key_LangueChange, Qt::Key_Control);
    m_keyGroup->addButton(ui->key_Shift, Qt::Key_Shift);
    m_keyGroup->addButton(ui->Key_Close, Qt::Key_Close);

    for (int j = 0; j < kCandidateButtons; ++j)
        m_barGroup->addButton(candidateButton(j), '0' + j);
    m_barGroup->addButton(ui->listUp, Qt::Key_Up);
    m_barGroup->addButton(ui->listDown, Qt::Key_Down);
}

QPushButton *keyboard::candidateButton(int index) const
{
    QPushButton *const buttons[kCandidateButtons] = {ui->font_1, ui->font_2, ui->font_3, ui->font_4, ui->font_5,
                                                     ui->font_6, ui->font_7, ui->font_8, ui->font_9, ui->font_10};
    return buttons[index];
}

void keyboard::SetLangSwitchEnabled(bool bEnabled) { ui->key_LangueChange->setEnabled(bEnabled); }

QString keyboard::GetText() const { return ui->valueEdit->text().trimmed(); }

void keyboard::updateKeyCaps()
{
    for (int d = 0; d < 10; ++d) {
        const QChar cap = m_bShift ? QLatin1Char(kShiftedDigits[d]) : QLatin1Char(char('0' + d));
        m_keyGroup->button('0' + d)->setText(cap);
    }
    const bool upper = m_bCapsLock != m_bShift;
    for (int l = 0; l < 26; ++l)
        m_keyGroup->button('A' + l)->setText(QString(QLatin1Char(char((upper ? 'A' : 'a') + l))));
    ui->key_minus->setText(m_bShift ? QStringLiteral("_") : QStringLiteral("-"));
    ui->Key_Comma->setText(m_bShift ? QStringLiteral("+") : QStringLiteral(","));
    ui->Key_Colon->setText(m_bShift ? QStringLiteral("=") : QStringLiteral(";"));
}

void keyboard::insertText(const QString &text)
{
    if (!text.isEmpty())
        ui->valueEdit->insert(text);
}

void keyboard::keyPressed(int id)
{
    if (isDigitId(id)) {
        const int d = id - '0';
        insertText(QString(QLatin1Char(m_bShift ? kShiftedDigits[d] : char(id))));
        return;
    }
    if (isLetterId(id)) {
        const QString upper = QString(QLatin1Char(char(id)));
        const QString lower = upper.toLower();
        if (m_bCapsLock)
            insertText(m_bShift ? lower : upper);
        else if (m_bShift)
            insertText(upper);
        else if (m_nMode == 0)
            insertText(lower);
        else
            pinyinSearch(lower);
        return;
    }
    switch (id) {
    case '-':
        insertText(m_bShift ? QStringLiteral("_") : QStringLiteral("-"));
        break;
    case ',':
        insertText(m_bShift ? QStringLiteral("+") : QStringLiteral(","));
        break;
    case ':':
        insertText(m_bShift ? QStringLiteral("=") : QStringLiteral(";"));
        break;
    case ' ':
        insertText(QStringLiteral(" "));
        break;
    case Qt::Key_Backspace:
        if (m_nMode == 1 && !ui->lineEdit->text().isEmpty()) {
            QString code = ui->lineEdit->text();
            if (code.size() == 1) {
                clearCandidates();
            } else {
                code.chop(1);
                ui->lineEdit->setText(code);
                pinyinSearch(QString());
            }
        } else {
            ui->valueEdit->backspace();
        }
        break;
    case Qt::Key_Enter:
        enterPressed();
        break;
    case Qt::Key_CapsLock:
        m_bCapsLock = !m_bCapsLock;
        updateKeyCaps();
        break;
    case Qt::Key_Shift:
        m_bShift = !m_bShift;
        updateKeyCaps();
        break;
    case Qt::Key_Control:
        setMode(m_nMode == 0 ? 1 : 0);
        break;
    case Qt::Key_Close:
        reject();
        break;
    default:
        break;
    }
}

void keyboard::setMode(int mode)
{
    m_nMode = mode;
    ui->key_LangueChange->setText(mode == 0 ? QStringLiteral("EN") : tr("拼音"));
    ui->DlgClientWidget->setVisible(mode == 1);
    m_dictFile.close();
    m_cDictLetter = ' ';
    // A code left over from the other mode would prefix the next syllable.
    clearCandidates();
}

void keyboard::enterPressed()
{
    const int len = ui->valueEdit->text().trimmed().size();
    if (len < m_nMinLen || len > m_nMaxLen) {
        showLengthNotice();
        return;
    }
    accept();
}

void keyboard::on_BtnOK_clicked() { enterPressed(); }

void keyboard::showLengthNotice()
{
    auto *msg = new frmMessageBox;
    msg->SetMessage(tr("请输入字符串长度：") + QStringLiteral("%1-%2").arg(QString::number(m_nMinLen), QString::number(m_nMaxLen)), 0);
    msg->exec();
}

void keyboard::on_valueEdit_textChanged(const QString &text)
{
    if (text.trimmed().size() > m_nMaxLen) {
        showLengthNotice();
        ui->valueEdit->setText(text.left(m_nMaxLen));
    }
}

bool keyboard::openDictionary(char letter)
{
    if (letter == m_cDictLetter && m_dictFile.isOpen())
        return true;
    m_dictFile.close();
    m_cDictLetter = ' ';
    m_dictFile.setFileName(QStringLiteral(":/Keyboard/pyresource/py") + QLatin1Char(letter));
    if (!m_dictFile.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QMessageBox box(QMessageBox::Warning, tr("加载错误"),
                        tr("无法加载字符编码库文件%1\n请检查文件是否有效！").arg(m_dictFile.fileName()),
                        QMessageBox::Ok, this);
        box.exec();
        return false;
    }
    m_cDictLetter = letter;
    return true;
}

void keyboard::pinyinSearch(const QString &letter)
{
    if (!letter.isEmpty())
        ui->lineEdit->insert(letter);
    const QByteArray code = ui->lineEdit->text().toLatin1();
    if (code.isEmpty())
        return;
    const char first = code.at(0);
    if (first == 'i' || first == 'u' || first == 'v' || first < 'a' || first > 'z') {
        m_nPageCount = 0;
        m_nCurPage = 0;
        return;
    }
    if (!openDictionary(first))
        return;

    bool found = false;
    m_dictFile.seek(0);
    while (!m_dictFile.atEnd()) {
        const QByteArray line = m_dictFile.readLine().trimmed();
        if (line.isEmpty())
            break;
        const QStringList tokens = gbk()->toUnicode(line).split(QLatin1Char(' '), Qt::KeepEmptyParts);
        if (tokens.first().toLatin1().startsWith(code)) {
            m_listCandidates = tokens;
            found = true;
            break;
        }
    }
    m_dictFile.seek(0);
    m_nCurPage = 0;
    m_nPageCount = 0;
    if (!found)
        return;

    const QVector<QPair<int, int>> pages = pageCandidates(m_listCandidates);
    for (const QPair<int, int> &p : pages)
        m_pages[m_nPageCount++] = p;
    showPage(0);
}

QVector<QPair<int, int>> keyboard::pageCandidates(const QStringList &tokens, int maxPages)
{
    QVector<QPair<int, int>> pages;
    const int n = tokens.size();
    int s = 1;
    while (s < n && pages.size() < maxPages) {
        int width = 0;
        int k = s;
        for (;; ++k) {
            width += 16 * (gbk()->fromUnicode(tokens.at(k)).size() / 2) + 9;
            if (width > kPageWidthLimit || k == s + kCandidateButtons - 1 || k == n - 1)
                break;
        }
        pages.append(qMakePair(s, k));
        s = k + 1;
    }
    return pages;
}

void keyboard::showPage(int page)
{
    const bool any = page >= 0 && page < m_nPageCount;
    const int first = any ? m_pages[page].first : 0;
    const int last = any ? m_pages[page].second : -1;
    for (int j = 0; j < kCandidateButtons; ++j) {
        QPushButton *b = candidateButton(j);
        const bool used = j <= last - first;
        b->setText(used ? m_listCandidates.at(first + j) : QString());
        b->setEnabled(used);
        // Unused buttons leave their room to the used ones on narrow screens.
        b->setVisible(used);
    }
    if (m_nPageCount < 2) {
        ui->listUp->setEnabled(false);
        ui->listDown->setEnabled(false);
    } else {
        ui->listUp->setEnabled(page > 0);
        ui->listDown->setEnabled(page < m_nPageCount - 1);
    }
}

void keyboard::clearCandidates()
{
    ui->lineEdit->clear();
    m_nPageCount = 0;
    m_nCurPage = 0;
    for (int j = 0; j < kCandidateButtons; ++j) {
        candidateButton(j)->setText(QString());
        candidateButton(j)->setEnabled(false);
        candidateButton(j)->setVisible(false);
    }
    ui->listUp->setEnabled(false);
    ui->listDown->setEnabled(false);
}

void keyboard::barPressed(int id)
{
    if (isDigitId(id)) {
        insertText(m_barGroup->button(id)->text());
        clearCandidates();
        return;
    }
    if (id == Qt::Key_Up) {
        if (m_nCurPage > 0)
            showPage(--m_nCurPage);
    } else if (id == Qt::Key_Down) {
        if (m_nCurPage + 1 < m_nPageCount)
            showPage(++m_nCurPage);
    }
}
