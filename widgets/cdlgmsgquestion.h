#pragma once
// Yes/no question with OK and Cancel, full-screen or compact.
//
// Usage:
//     CDlgMsgQuestion q(tr("确定删除吗？"), false, this);
//     if (q.exec() == QDialog::Accepted) { ... }    // OK -> Accepted
// The compact form (bCompact = true) is a strip of half the screen width and
// a fifth of its height, at (W/4, H/5) of the screen geometry.

#include <QDialog>

namespace Ui {
class CDlgMsgQuestion;
}

class CDlgMsgQuestion : public QDialog {
    Q_OBJECT
public:
    explicit CDlgMsgQuestion(const QString &text, bool bCompact = false, QWidget *parent = nullptr);
    ~CDlgMsgQuestion() override;

    // Cancel becomes the default button (Enter answers Cancel).
    void makeCancelDefault();

    // Geometry of the compact form on a screen of the given size.
    static QRect compactGeometry(const QSize &screen);

private slots:
    void on_BtnCancel_clicked();
    void on_BtnOK_clicked();

private:
    QString m_strText;
    Ui::CDlgMsgQuestion *ui;
};
