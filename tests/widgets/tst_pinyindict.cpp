// Format invariants of the compiled-in pinyin dictionary, checked on the
// real resources the keyboard reads.
#include "keyboard.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextCodec>
#include <QtTest>

class TestPinyinDict : public QObject {
    Q_OBJECT
private slots:
    void files_data();
    void files();
    void noFilesForIUV();
};

void TestPinyinDict::files_data()
{
    QTest::addColumn<QChar>("letter");
    for (char c = 'a'; c <= 'z'; ++c)
        if (c != 'i' && c != 'u' && c != 'v')
            QTest::newRow(QByteArray(1, c).constData()) << QChar::fromLatin1(c);
}

void TestPinyinDict::files()
{
    QFETCH(QChar, letter);
    QFile f(QStringLiteral(":/Keyboard/pyresource/py") + letter);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(!bytes.isEmpty());
    QVERIFY2(!bytes.contains('\r'), "LF line ends only");
    QVERIFY2(bytes.endsWith('\n') && !bytes.endsWith("\n\n"), "no empty line before the end");

    QTextCodec *gb2312 = QTextCodec::codecForName("GB2312");
    QVERIFY(gb2312);
    const QRegularExpression keyPattern(QStringLiteral("^[a-z]+$"));
    const QRegularExpression chinese(QStringLiteral("^\\p{Han}+$"));
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast(); // after the final LF
    QByteArray previousKey;
    int maxPages = 0;
    for (const QByteArray &line : lines) {
        QTextCodec::ConverterState state;
        const QString text = gb2312->toUnicode(line.constData(), line.size(), &state);
        QVERIFY2(state.invalidChars == 0, line.constData());
        QCOMPARE(gb2312->fromUnicode(text), line);

        const QStringList tokens = text.split(QLatin1Char(' '), Qt::KeepEmptyParts);
        QVERIFY2(tokens.size() >= 2, line.constData());
        const QByteArray key = tokens.first().toLatin1();
        QVERIFY2(keyPattern.match(tokens.first()).hasMatch(), key.constData());
        QCOMPARE(QChar::fromLatin1(key.at(0)), letter);
        QVERIFY2(previousKey < key, key.constData()); // ascending, no duplicates
        previousKey = key;
        for (int k = 1; k < tokens.size(); ++k)
            QVERIFY2(chinese.match(tokens.at(k)).hasMatch(), line.constData());
        QCOMPARE(tokens.mid(1).removeDuplicates(), 0);

        // Every candidate must be reachable through the keyboard's page table.
        const auto pages = keyboard::pageCandidates(tokens, 1000);
        QVERIFY2(pages.size() <= keyboard::kMaxPages, key.constData());
        QCOMPARE(pages.last().second, tokens.size() - 1);
        maxPages = qMax(maxPages, int(pages.size()));
    }
    QVERIFY(maxPages >= 1);
}

void TestPinyinDict::noFilesForIUV()
{
    for (const char *l : {"i", "u", "v"})
        QVERIFY(!QFile::exists(QStringLiteral(":/Keyboard/pyresource/py") + QLatin1String(l)));
}

QTEST_MAIN(TestPinyinDict)
#include "tst_pinyindict.moc"
