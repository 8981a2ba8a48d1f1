#include "buttontextfit.h"

#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <QtTest>

class TestButtonTextFit : public QObject
{
    Q_OBJECT
private slots:
    void search_data();
    void search();
    void longWordShrinksShortWordKeepsItsSize();
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
    QVERIFY(button.sizeHint().width() > button.width()); // the fault: clipped
    fitButtonText(&button);
    QVERIFY2(button.sizeHint().width() <= button.width(), qPrintable(QString::number(button.sizeHint().width())));
    QVERIFY(QFontInfo(button.font()).pixelSize() < 20);
    QVERIFY(QFontInfo(button.font()).pixelSize() >= 11);

    button.setText(QStringLiteral("Run"));
    fitButtonText(&button);
    QCOMPARE(QFontInfo(button.font()).pixelSize(), 20);
    QVERIFY(button.styleSheet().isEmpty());
    qApp->setStyleSheet(QString());
}

QTEST_MAIN(TestButtonTextFit)
#include "tst_buttontextfit.moc"
