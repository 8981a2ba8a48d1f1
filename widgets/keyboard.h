#pragma once
// Full on-screen keyboard: Latin letters, digits and a few symbols typed
// directly, Chinese through pinyin over the compiled-in dictionaries
// ":/Keyboard/pyresource/pya" ... "pyz".
//
// Usage:
//     keyboard kb(currentText, tr("工程名称"), this);
//     kb.SetLangSwitchEnabled(false);        // optional: no pinyin
//     if (kb.exec() == QDialog::Accepted)
//         name = kb.GetText();               // trimmed

#include <QDialog>
#include <QFile>
#include <QPair>
#include <QStringList>

namespace Ui {
class keyboard;
}
class QButtonGroup;
class QPushButton;

class keyboard : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxPages = 15;
    static constexpr int kCandidateButtons = 10;
    static constexpr int kPageWidthLimit = 250;

    keyboard(const QString &initialText, const QString &title, QWidget *parent = nullptr);
    ~keyboard() override;

    void SetLangSwitchEnabled(bool bEnabled);
    QString GetText() const;

    // Splits candidates 1..n-1 of a dictionary line into pages by the width
    // rule of the candidate bar; returns (first, last) index pairs, at most
    // maxPages of them.
    static QVector<QPair<int, int>> pageCandidates(const QStringList &tokens, int maxPages = kMaxPages);

public slots:
    void keyPressed(int id);
    void barPressed(int id);
    void on_valueEdit_textChanged(const QString &text);
    void on_BtnOK_clicked();

private:
    void registerKeys();
    void updateKeyCaps();
    void insertText(const QString &text);
    void pinyinSearch(const QString &letter);
    bool openDictionary(char letter);
    void showPage(int page);
    void clearCandidates();
    void setMode(int mode);
    void enterPressed();
    void showLengthNotice();
    QPushButton *candidateButton(int index) const;

    Ui::keyboard *ui;

public:
    QButtonGroup *m_keyGroup;
    QButtonGroup *m_barGroup;
    int m_nMode = 0;
    bool m_bCapsLock = false;
    bool m_bShift = false;
    QFile m_dictFile;
    char m_cDictLetter = ' ';
    QStringList m_listCandidates;
    QPair<int, int> m_pages[kMaxPages];
    int m_nPageCount = 0;
    int m_nCurPage = 0;
    int m_nMinLen = 0;
    int m_nMaxLen = 65535;
};
