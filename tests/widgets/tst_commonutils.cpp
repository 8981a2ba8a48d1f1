// The window utilities of widgets/: the theme's style sheets, the screen
// area and the window size of --window.

#include "commonutils.h"
#include "sysconfig.h"
#include "testsupport.h"

#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QtTest>

class TestCommonUtils : public QObject {
    Q_OBJECT
private slots:
    void init() { resetSysBaseConfig(); }

    void loadStyleSheetRules();
    void screenRectSmallScreen();
    void windowSize_data();
    void windowSize();
    void smallWindowIsSmallScreen_data();
    void smallWindowIsSmallScreen();
};

void TestCommonUtils::loadStyleSheetRules()
{
    QLabel w;
    QString path;
    QVERIFY(!QKRVCommomUtils::loadStyleSheet(nullptr, path));
    // No class sheet for QLabel: the path is still built and stored.
    QVERIFY(!QKRVCommomUtils::loadStyleSheet(&w, path, QStringLiteral("X")));
    QCOMPARE(path, QStringLiteral(":/styles/styles/white/QLabelX.qss"));
    QString txt = QStringLiteral(":/styles/styles/white/CommomStyles.txt");
    QVERIFY(!QKRVCommomUtils::loadStyleSheet(&w, txt));
    QVERIFY(w.styleSheet().isEmpty());
    QVERIFY(QKRVCommomUtils::loadCommonStyleSheet(&w));
    const QString once = w.styleSheet();
    QVERIFY(once.contains(QStringLiteral("#47A3F8")));
    QVERIFY(QKRVCommomUtils::loadCommonStyleSheet(&w));
    QCOMPARE(w.styleSheet(), once + once);
    style = 1;
    QLabel dark;
    QVERIFY(QKRVCommomUtils::loadCommonStyleSheet(&dark));
    QVERIFY(dark.styleSheet().contains(QStringLiteral("#6D7281")));
}

void TestCommonUtils::screenRectSmallScreen()
{
    TestAppDir dir;
    QVERIFY(QDir().mkpath(dir.file(QStringLiteral("8.4"))));
    QCOMPARE(QKRVCommomUtils::screenRect(), QRect(100, 100, 800, 600));
}

void TestCommonUtils::windowSize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("800x600") << QSize(800, 600);
    QTest::newRow("1024x768") << QSize(1024, 768);
    QTest::newRow("none") << QSize();
}

// A size fixes the window and centres it on the screen; no size leaves the
// window free to take the whole screen.
void TestCommonUtils::windowSize()
{
    QFETCH(QSize, size);
    QDialog window;
    window.move(3, 4);
    applyWindowSize(window, size);
    if (!size.isValid()) {
        QCOMPARE(window.minimumSize(), QSize(0, 0));
        QCOMPARE(window.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        QCOMPARE(window.pos(), QPoint(3, 4));
        return;
    }
    QCOMPARE(window.minimumSize(), size);
    QCOMPARE(window.maximumSize(), size);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect placed(window.pos(), size);
    QVERIFY2(qAbs(placed.center().x() - screen.center().x()) <= 1
                 && qAbs(placed.center().y() - screen.center().y()) <= 1,
             qPrintable(QStringLiteral("window at %1,%2 on a screen %3x%4")
                            .arg(QString::number(placed.x()), QString::number(placed.y()),
                                 QString::number(screen.width()), QString::number(screen.height()))));
}

void TestCommonUtils::smallWindowIsSmallScreen_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("small");
    QTest::newRow("800x600: the 8.4-inch screen") << QSize(800, 600) << true;
    QTest::newRow("1024x768") << QSize(1024, 768) << false;
    QTest::newRow("wide but low") << QSize(1024, 600) << false;
    QTest::newRow("no window") << QSize() << false;
}

// --window 800x600 shows what the 8.4-inch instrument shows: the small-screen
// variant, its dialogs placed over the window.
void TestCommonUtils::smallWindowIsSmallScreen()
{
    QFETCH(QSize, size);
    QFETCH(bool, small);
    TestAppDir dir; // no "8.4" folder in it
    followWindowSize(size);
    const bool told = QKRVCommomUtils::isSmallScreen();
    const QRect area = QKRVCommomUtils::screenRect();
    QDialog window;
    applyWindowSize(window, size);
    followWindowSize(QSize());
    QCOMPARE(told, small);
    QVERIFY(!QKRVCommomUtils::isSmallScreen());
    if (small)
        QCOMPARE(area, QRect(window.pos(), size));
    else
        QCOMPARE(area, QGuiApplication::primaryScreen()->availableGeometry());
}

QTEST_MAIN(TestCommonUtils)
#include "tst_commonutils.moc"
