#pragma once
// The sediment panel of the main screen (groupBox_3 of its form): curve
// range and magnification, hole quality and sediment thickness. Its combo
// boxes only display; a touch opens the selection grid or the keypad, and
// the choice goes to the test session, which judges the shown test. The
// panel shows what the session holds and follows its judgementChanged.

#include <QGroupBox>

class CTestSession;
class QComboBox;
class QLineEdit;
class QLabel;

class CSedimentPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit CSedimentPanel(QWidget *parent = nullptr);

    // Once the form has built the children: fills the combo boxes and
    // starts taking the touches.
    void setUp(CTestSession *session);
    // Shows the values of the shown test: no thickness and "未判定" while
    // it waits for a judgement.
    void showValues();

signals:
    // Range or magnification changed: the curve must be redrawn.
    void curveChanged();
    // The values were shown again (thickness, quality, verdict may differ).
    void judgementShown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Index of the chosen item, -1 when the grid was cancelled.
    int chooseFrom(const QString &title, const QStringList &items);
    // The same for texts already translated.
    int chooseFromTexts(const QString &title, const QStringList &items);
    void tellIfNotSaved(int judgeResult);
    void chooseCurveRange();
    void chooseCurveMagnify();
    void chooseHoleQuality();
    void enterSedimentThickness();

    CTestSession *m_session = nullptr;
    QComboBox *m_range = nullptr;
    QComboBox *m_magnify = nullptr;
    QComboBox *m_result = nullptr;
    QLineEdit *m_thickness = nullptr;
};
