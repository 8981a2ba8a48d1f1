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
    void breakInTwo_data();
    void breakInTwo();
    void secondLineBeforeSmallerFont();
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

void TestButtonTextFit::breakInTwo_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("code over pile type") << QStringLiteral("JGJ 94 抗拔、抗水平力桩") << QStringLiteral("JGJ 94\n抗拔、抗水平力桩");
    QTest::newRow("the narrower widest line") << QStringLiteral("JTG/T 3650 end-bearing") << QStringLiteral("JTG/T 3650\nend-bearing");
    QTest::newRow("two words") << QStringLiteral("Project summary") << QStringLiteral("Project\nsummary");
    QTest::newRow("one word stays") << QStringLiteral("Supercalifragilistic") << QStringLiteral("Supercalifragilistic");
    QTest::newRow("lines of its own stay") << QStringLiteral("Test\nComplete now") << QStringLiteral("Test\nComplete now");
    QTest::newRow("no empty line at an edge") << QStringLiteral(" Finish") << QStringLiteral(" Finish");
}

void TestButtonTextFit::breakInTwo()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    // A plain measure: every character as wide as the next (a Han character
    // twice as wide), so the best break is known without a font.
    const auto width = [](const QString &line) {
        int w = 0;
        for (const QChar c : line)
            w += c.unicode() > 0x2E80 ? 2 : 1;
        return w;
    };
    QCOMPARE(::breakInTwo(text, width), expected);
}

// A text too wide for one line takes two at the font's own size; only a
// text that two lines cannot hold gets smaller. The button keeps the text
// it was given, and a new text is fitted from scratch.
void TestButtonTextFit::secondLineBeforeSmallerFont()
{
    qApp->setStyleSheet(QStringLiteral("QPushButton { font-size: 20px; padding: 0; border: none; }"));
    QWidget bar;
    QPushButton button(&bar);
    bar.show();
    button.ensurePolished();
    const QFontMetrics fm(button.font());
    const QString given = QStringLiteral("JTG/T 3650 end-bearing");
    button.setFixedSize(fm.horizontalAdvance(QStringLiteral("end-bearing")) + 8, fm.lineSpacing() * 2 + 8);
    button.setText(given);
    QVERIFY(fm.horizontalAdvance(given) > button.width()); // the fault: clipped on one line
    fitButtonText(&button);
    QCOMPARE(button.text(), QStringLiteral("JTG/T 3650\nend-bearing"));
    QCOMPARE(QFontInfo(button.font()).pixelSize(), 20);
    QCOMPARE(wholeButtonText(&button), given);
    fitButtonText(&button);
    QCOMPARE(button.text(), QStringLiteral("JTG/T 3650\nend-bearing"));

    // Too low for two lines: one line, smaller.
    button.setFixedSize(fm.horizontalAdvance(given) * 4 / 5, fm.height() + 4);
    fitButtonText(&button);
    QCOMPARE(button.text(), given);
    QVERIFY(QFontInfo(button.font()).pixelSize() < 20);
    QVERIFY(QFontMetrics(button.font()).horizontalAdvance(given) <= button.width());

    // A new text that fits is shown as given, at the natural size.
    button.setText(QStringLiteral("Cancel"));
    fitButtonText(&button);
    QCOMPARE(button.text(), QStringLiteral("Cancel"));
    QCOMPARE(wholeButtonText(&button), QStringLiteral("Cancel"));
    QCOMPARE(QFontInfo(button.font()).pixelSize(), 20);
    qApp->setStyleSheet(QString());
}

QTEST_MAIN(TestButtonTextFit)
#include "tst_buttontextfit.moc"
