#include "buttontextfit.h"

#include <QApplication>
#include <QPixmap>
#include <QHBoxLayout>
#include <QPushButton>
#include <QtTest>

class TestButtonTextFit : public QObject
{
    Q_OBJECT
private slots:
    void search_data();
    void search();
    void longWordShrinksShortWordKeepsItsSize();
    void fitterFollowsTextChanges();
};

void TestButtonTextFit::search_data()
{
    QTest::addColumn<int>("fitsUpTo");
    QTest::addColumn<int>("expected");
    QTest::newRow("preferred fits") << 30 << 16;
    QTest::newRow("a little smaller") << 13 << 13;
    QTest::newRow("nothing fits: the floor") << 5 << 11;
}

void TestButtonTextFit::search()
{
    QFETCH(int, fitsUpTo);
    QFETCH(int, expected);
    int tries = 0;
    const int px = largestFittingPixelSize(16, 11, [&](int candidate) {
        ++tries;
        return candidate <= fitsUpTo;
    });
    QCOMPARE(px, expected);
    QVERIFY(tries <= 6);
}

void TestButtonTextFit::longWordShrinksShortWordKeepsItsSize()
{
    qApp->setStyleSheet(QStringLiteral("QWidget#bar QPushButton { font-size: 20px; padding: 0 6px; }"));
    QWidget bar;
    bar.setObjectName(QStringLiteral("bar"));
    QPushButton button(&bar);
    QPixmap icon(24, 24);
    icon.fill(Qt::blue);
    button.setIcon(QIcon(icon));
    button.setIconSize(QSize(24, 24));
    button.setFixedSize(96, 60);
    bar.show();

    button.setText(QStringLiteral("Test\nComplete"));
    button.ensurePolished();
    QVERIFY(QFontMetrics(button.font()).horizontalAdvance(QStringLiteral("Complete")) + 24 + 4 + 12 > button.width()); // the fault: clipped
    fitButtonText(&button);
    const QFontMetrics fm(button.font());
    QVERIFY(fm.horizontalAdvance(QStringLiteral("Complete")) + 24 + 4 + 12 <= button.width());
    QVERIFY(QFontInfo(button.font()).pixelSize() < 20);
    QVERIFY(QFontInfo(button.font()).pixelSize() >= 11);

    // Fitting again changes nothing (no endless relayout).
    const QString fitted = button.styleSheet();
    fitButtonText(&button);
    QCOMPARE(button.styleSheet(), fitted);

    button.setText(QStringLiteral("Run"));
    fitButtonText(&button);
    QCOMPARE(QFontInfo(button.font()).pixelSize(), 20);
    QVERIFY(button.styleSheet().isEmpty());
    qApp->setStyleSheet(QString());
}

// Through the fitter: a text set later is fitted once the layout asks.
void TestButtonTextFit::fitterFollowsTextChanges()
{
    qApp->setStyleSheet(QStringLiteral("QWidget#bar QPushButton { font-size: 20px; }"));
    QWidget bar;
    bar.setObjectName(QStringLiteral("bar"));
    // As on the screen: the button sits in a layout, so a new text asks
    // the container for a new layout.
    auto *layout = new QHBoxLayout(&bar);
    layout->setContentsMargins(0, 0, 0, 0);
    QPushButton button(QStringLiteral("Set"));
    button.setMinimumWidth(0);
    button.setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->addWidget(&button);
    bar.setFixedSize(70, 50);
    new ButtonTextFitter(&bar);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QCOMPARE(QFontInfo(button.font()).pixelSize(), 20);
    button.setText(QStringLiteral("Resample"));
    QTRY_VERIFY_WITH_TIMEOUT(QFontInfo(button.font()).pixelSize() < 20, 2000);
    QVERIFY(QFontMetrics(button.font()).horizontalAdvance(button.text()) <= button.width());
    qApp->setStyleSheet(QString());
}

QTEST_MAIN(TestButtonTextFit)
#include "tst_buttontextfit.moc"
