// The window utilities of widgets/: the theme's style sheets and the screen
// area.

#include "commonutils.h"
#include "sysconfig.h"
#include "testsupport.h"

#include <QDir>
#include <QLabel>
#include <QtTest>

class TestCommonUtils : public QObject {
    Q_OBJECT
private slots:
    void init() { resetSysBaseConfig(); }

    void loadStyleSheetRules();
    void screenRectSmallScreen();
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

QTEST_MAIN(TestCommonUtils)
#include "tst_commonutils.moc"
