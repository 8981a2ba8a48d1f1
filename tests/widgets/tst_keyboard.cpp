#include "frmmessagebox.h"
#include "keyboard.h"
#include "modalanswer.h"
#include "sysconfig.h"
#include "testsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCodec>
#include <QTranslator>
#include <QScreen>
#include <QtTest>

namespace {
QPushButton *child(QWidget *w, const QString &name) { return w->findChild<QPushButton *>(name); }

void click(QWidget *kb, const QString &name)
{
    QPushButton *b = child(kb, name);
    QVERIFY2(b, qPrintable(name));
    QVERIFY2(b->isEnabled(), qPrintable(name));
    QTest::mouseClick(b, Qt::LeftButton);
}

// Types lower-case letters and digits on their keys.
void type(QWidget *kb, const QString &keys)
{
    for (QChar c : keys)
        click(kb, QStringLiteral("key_") + c.toUpper());
}

QString value(QWidget *kb) { return kb->findChild<QLineEdit *>(QStringLiteral("valueEdit"))->text(); }
QString code(QWidget *kb) { return kb->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->text(); }

QStringList candidates(QWidget *kb)
{
    QStringList out;
    for (int j = 1; j <= 10; ++j) {
        QPushButton *b = child(kb, QStringLiteral("font_%1").arg(j));
        if (b->isEnabled())
            out << b->text();
        else if (!b->text().isEmpty())
            out << QStringLiteral("<disabled but labelled>");
    }
    return out;
}

bool upEnabled(QWidget *kb) { return child(kb, QStringLiteral("listUp"))->isEnabled(); }
bool downEnabled(QWidget *kb) { return child(kb, QStringLiteral("listDown"))->isEnabled(); }

// One dictionary file, decoded, as key -> candidates.
struct Dict {
    QStringList keys;
    QHash<QString, QStringList> lines;
};

Dict readDict(char letter)
{
    Dict d;
    QFile f(QStringLiteral(":/Keyboard/pyresource/py") + QLatin1Char(letter));
    if (!f.open(QIODevice::ReadOnly))
        return d;
    QTextCodec *gbk = QTextCodec::codecForName("GBK");
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &l : lines) {
        if (l.isEmpty())
            continue;
        QStringList t = gbk->toUnicode(l).split(QLatin1Char(' '));
        const QString key = t.takeFirst();
        d.keys << key;
        d.lines.insert(key, t);
    }
    return d;
}

// The first key of a file that begins with code.
QString firstKeyWith(const Dict &d, const QString &code)
{
    for (const QString &k : d.keys)
        if (k.startsWith(code))
            return k;
    return QString();
}

int pinyinMode(keyboard &kb)
{
    click(&kb, QStringLiteral("key_LangueChange"));
    return kb.m_nMode;
}
} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    void init() { resetSysBaseConfig(); }
    void cleanup() { resetSysBaseConfig(); }

    void construction();
    void smallScreenSize();
    void keyCaps_data();
    void keyCaps();
    void typedCharacters_data();
    void typedCharacters();
    void shiftStaysOn();
    void initialTextReplaced();
    void backspaceInValue();
    void modeKeyShowsInputArea();
    void pinyinPrefixMatch();
    void pinyinPaging();
    void pinyinPagingByWidth();
    void pinyinBackspace();
    void pinyinNoDictionaryLetters_data();
    void pinyinNoDictionaryLetters();
    void pinyinNoMatchKeepsButtons();
    void candidateInsertion();
    void mixedTyping();
    void commonWordOnFirstPage_data();
    void commonWordOnFirstPage();
    void enterAndClose();
    void lengthNotice();
    void langSwitchDisabled();
    void pageTableCapped();
    void catalogueTexts();
};

void TestKeyboard::construction()
{
    keyboard kb(QStringLiteral("ZK-01"), QStringLiteral("孔号"));
    QCOMPARE(childText<QLabel>(&kb, "DlgTitleBarTitle"), QStringLiteral("孔号"));
    QCOMPARE(kb.m_nMode, 0);
    QVERIFY(!kb.findChild<QWidget *>(QStringLiteral("DlgClientWidget"))->isVisibleTo(&kb));
    QVERIFY(!child(&kb, QStringLiteral("Key_Comma"))->isVisibleTo(&kb));
    QVERIFY(!child(&kb, QStringLiteral("Key_Colon"))->isVisibleTo(&kb));
    QVERIFY(!child(&kb, QStringLiteral("key_Space"))->isEnabled());
    QVERIFY(!upEnabled(&kb));
    QVERIFY(!downEnabled(&kb));
    QCOMPARE(child(&kb, QStringLiteral("Key_Close"))->text(), QStringLiteral("关闭"));
    QCOMPARE(child(&kb, QStringLiteral("key_LangueChange"))->text(), QStringLiteral("EN"));
    QVERIFY(kb.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(kb.size(), QSize(1024, 768));
    QCOMPARE(kb.geometry().center(), QRect(QPoint(0, 0), QGuiApplication::primaryScreen()->availableSize()).center());
    QCOMPARE(kb.GetText(), QStringLiteral("ZK-01"));
    QCOMPARE(kb.m_nMinLen, 0);
    QCOMPARE(kb.m_nMaxLen, 65535);
}

void TestKeyboard::smallScreenSize()
{
    TestAppDir dir;
    QVERIFY(QDir().mkpath(dir.file(QStringLiteral("8.4"))));
    keyboard kb{QString(), QString()};
    QCOMPARE(kb.geometry(), QRect(100, 100, 800, 600));
}

void TestKeyboard::keyCaps_data()
{
    QTest::addColumn<bool>("caps");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QString>("digits"); // caps of key_0 .. key_9
    QTest::addColumn<QString>("letterA");
    QTest::addColumn<QString>("minus");
    QTest::newRow("plain") << false << false << "0123456789" << "a" << "-";
    QTest::newRow("caps") << true << false << "0123456789" << "A" << "-";
    QTest::newRow("shift") << false << true << ")!@#~[^-](" << "A" << "_";
    QTest::newRow("caps and shift") << true << true << ")!@#~[^-](" << "a" << "_";
}

void TestKeyboard::keyCaps()
{
    QFETCH(bool, caps);
    QFETCH(bool, shift);
    QFETCH(QString, digits);
    QFETCH(QString, letterA);
    QFETCH(QString, minus);
    keyboard kb{QString(), QString()};
    if (caps)
        click(&kb, QStringLiteral("key_Cap_Lock"));
    if (shift)
        click(&kb, QStringLiteral("key_Shift"));
    for (int d = 0; d < 10; ++d)
        QCOMPARE(child(&kb, QStringLiteral("key_%1").arg(d))->text(), QString(digits.at(d)));
    QCOMPARE(child(&kb, QStringLiteral("key_A"))->text(), letterA);
    QCOMPARE(child(&kb, QStringLiteral("key_Z"))->text(), letterA == QLatin1String("a") ? QStringLiteral("z") : QStringLiteral("Z"));
    QCOMPARE(child(&kb, QStringLiteral("key_minus"))->text(), minus);
}

void TestKeyboard::typedCharacters_data()
{
    QTest::addColumn<bool>("caps");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("expected"); // typing a, b, 5, 4, 7, 8, minus
    QTest::newRow("plain en") << false << false << 0 << "ab5478-";
    QTest::newRow("caps en") << true << false << 0 << "AB5478-";
    QTest::newRow("shift en") << false << true << 0 << "AB[~-]_";
    QTest::newRow("caps shift en") << true << true << 0 << "ab[~-]_";
    // In pinyin mode caps lock or shift bypass the input method.
    QTest::newRow("caps pinyin") << true << false << 1 << "AB5478-";
    QTest::newRow("shift pinyin") << false << true << 1 << "AB[~-]_";
}

void TestKeyboard::typedCharacters()
{
    QFETCH(bool, caps);
    QFETCH(bool, shift);
    QFETCH(int, mode);
    QFETCH(QString, expected);
    keyboard kb{QString(), QString()};
    if (mode)
        QCOMPARE(pinyinMode(kb), 1);
    if (caps)
        click(&kb, QStringLiteral("key_Cap_Lock"));
    if (shift)
        click(&kb, QStringLiteral("key_Shift"));
    type(&kb, QStringLiteral("ab5478"));
    click(&kb, QStringLiteral("key_minus"));
    QCOMPARE(value(&kb), expected);
    QVERIFY(code(&kb).isEmpty());
}

void TestKeyboard::shiftStaysOn()
{
    keyboard kb{QString(), QString()};
    click(&kb, QStringLiteral("key_Shift"));
    click(&kb, QStringLiteral("key_5"));
    QCOMPARE(child(&kb, QStringLiteral("key_5"))->text(), QStringLiteral("["));
    click(&kb, QStringLiteral("key_5"));
    click(&kb, QStringLiteral("key_Shift"));
    click(&kb, QStringLiteral("key_5"));
    QCOMPARE(value(&kb), QStringLiteral("[[5"));
    QCOMPARE(child(&kb, QStringLiteral("key_5"))->text(), QStringLiteral("5"));
}

void TestKeyboard::initialTextReplaced()
{
    keyboard kb(QStringLiteral("旧名称"), QString());
    type(&kb, QStringLiteral("x1"));
    QCOMPARE(value(&kb), QStringLiteral("x1"));
}

void TestKeyboard::backspaceInValue()
{
    keyboard kb{QString(), QString()};
    type(&kb, QStringLiteral("abc"));
    click(&kb, QStringLiteral("key_Backspace"));
    QCOMPARE(value(&kb), QStringLiteral("ab"));
    // In pinyin mode with an empty code, Back edits the value too.
    pinyinMode(kb);
    click(&kb, QStringLiteral("key_Backspace"));
    QCOMPARE(value(&kb), QStringLiteral("a"));
}

void TestKeyboard::modeKeyShowsInputArea()
{
    keyboard kb{QString(), QString()};
    auto *area = kb.findChild<QWidget *>(QStringLiteral("DlgClientWidget"));
    QCOMPARE(pinyinMode(kb), 1);
    QCOMPARE(child(&kb, QStringLiteral("key_LangueChange"))->text(), QStringLiteral("拼音"));
    QVERIFY(area->isVisibleTo(&kb));
    type(&kb, QStringLiteral("zh"));
    QCOMPARE(kb.m_cDictLetter, 'z');
    QCOMPARE(pinyinMode(kb), 0);
    QCOMPARE(child(&kb, QStringLiteral("key_LangueChange"))->text(), QStringLiteral("EN"));
    QVERIFY(!area->isVisibleTo(&kb));
    QCOMPARE(kb.m_cDictLetter, ' ');
    QVERIFY(code(&kb).isEmpty());
}

void TestKeyboard::pinyinPrefixMatch()
{
    const Dict a = readDict('a');
    QVERIFY(a.keys.size() > 5);
    keyboard kb{QString(), QString()};
    pinyinMode(kb);
    type(&kb, QStringLiteral("a"));
    QCOMPARE(code(&kb), QStringLiteral("a"));
    QCOMPARE(candidates(&kb), a.lines.value(QStringLiteral("a")).mid(0, 10));
    QVERIFY(!upEnabled(&kb));
    QCOMPARE(downEnabled(&kb), kb.m_nPageCount > 1);

    type(&kb, QStringLiteral("i"));
    QCOMPARE(kb.m_listCandidates.first(), QStringLiteral("ai"));
    QCOMPARE(candidates(&kb).first(), a.lines.value(QStringLiteral("ai")).first());

    // A code that is no key of its own shows the first key beginning with it.
    type(&kb, QStringLiteral("h"));
    const QString expected = firstKeyWith(a, QStringLiteral("aih"));
    QVERIFY(!expected.isEmpty());
    QVERIFY(expected != QLatin1String("aih"));
    QCOMPARE(kb.m_listCandidates.first(), expected);
    QCOMPARE(candidates(&kb).first(), a.lines.value(expected).first());
}

void TestKeyboard::pinyinPaging()
{
    // Every page of "ji" shows the line's candidates in order, ten at a time
    // (single characters: 25 each towards the 250 limit).
    const QStringList ji = readDict('j').lines.value(QStringLiteral("ji"));
    QVERIFY(ji.size() > 100);
    keyboard kb{QString(), QString()};
    pinyinMode(kb);
    type(&kb, QStringLiteral("ji"));
    const int pages = (ji.size() + 9) / 10;
    QCOMPARE(kb.m_nPageCount, pages);
    QStringList seen;
    for (int p = 0; p < pages; ++p) {
        QCOMPARE(upEnabled(&kb), p > 0);
        QCOMPARE(downEnabled(&kb), p < pages - 1);
        seen += candidates(&kb);
        if (p < pages - 1)
            click(&kb, QStringLiteral("listDown"));
    }
    QCOMPARE(seen, ji);
    // Back up to the first page.
    for (int p = pages - 1; p > 0; --p)
        click(&kb, QStringLiteral("listUp"));
    QCOMPARE(candidates(&kb), ji.mid(0, 10));
    QCOMPARE(kb.m_nCurPage, 0);
}

void TestKeyboard::pinyinPagingByWidth()
{
    // 16 per two GBK bytes plus 9: the candidate that crosses 250 closes
    // its page.
    const QStringList singles = QString::fromUtf8("键 及 级 即 几 机 既 急 集 记 极 鸡 寄").split(QLatin1Char(' '));
    QCOMPARE(keyboard::pageCandidates(singles), (QVector<QPair<int, int>>{{1, 10}, {11, 12}}));
    const QStringList pairs = QString::fromUtf8("k 工程 过程 观察 构成 工厂 广场 干脆 改成 国产").split(QLatin1Char(' '));
    // 41 each: 6 x 41 = 246, the seventh reaches 287.
    QCOMPARE(keyboard::pageCandidates(pairs), (QVector<QPair<int, int>>{{1, 7}, {8, 9}}));
    const QStringList mixed = QString::fromUtf8("k 中华人民共和国 建设工程 有限公司 a").split(QLatin1Char(' '));
    // 121 + 73 = 194, + 73 = 267 > 250; "a" counts 9.
    QCOMPARE(keyboard::pageCandidates(mixed), (QVector<QPair<int, int>>{{1, 3}, {4, 4}}));
    const QStringList crossing = QString::fromUtf8("k 建设者 工程局 分公司 设计院 桩 基 础").split(QLatin1Char(' '));
    // 4 x 57 = 228, the single character reaches 253: just past the limit.
    QCOMPARE(keyboard::pageCandidates(crossing), (QVector<QPair<int, int>>{{1, 5}, {6, 7}}));
    QCOMPARE(keyboard::pageCandidates(QStringList{QStringLiteral("k")}), (QVector<QPair<int, int>>{}));
}

void TestKeyboard::pinyinBackspace()
{
    const Dict a = readDict('a');
    keyboard kb(QStringLiteral("x"), QString());
    pinyinMode(kb);
    type(&kb, QStringLiteral("ai"));
    click(&kb, QStringLiteral("key_Backspace"));
    QCOMPARE(code(&kb), QStringLiteral("a"));
    QCOMPARE(candidates(&kb), a.lines.value(QStringLiteral("a")).mid(0, 10));
    click(&kb, QStringLiteral("key_Backspace"));
    QVERIFY(code(&kb).isEmpty());
    QVERIFY(candidates(&kb).isEmpty());
    QVERIFY(!upEnabled(&kb) && !downEnabled(&kb));
    // The value was never touched by the code's backspaces.
    QCOMPARE(value(&kb), QStringLiteral("x"));
}

void TestKeyboard::pinyinNoDictionaryLetters_data()
{
    QTest::addColumn<QString>("letter");
    QTest::newRow("i") << "i";
    QTest::newRow("u") << "u";
    QTest::newRow("v") << "v";
}

void TestKeyboard::pinyinNoDictionaryLetters()
{
    QFETCH(QString, letter);
    QVERIFY(!QFile::exists(QStringLiteral(":/Keyboard/pyresource/py") + letter));
    keyboard kb{QString(), QString()};
    pinyinMode(kb);
    type(&kb, letter);
    QCOMPARE(code(&kb), letter);
    QVERIFY(candidates(&kb).isEmpty());
    QCOMPARE(kb.m_nPageCount, 0);
    QVERIFY(value(&kb).isEmpty());
}

void TestKeyboard::pinyinNoMatchKeepsButtons()
{
    keyboard kb{QString(), QString()};
    pinyinMode(kb);
    type(&kb, QStringLiteral("zh"));
    const QStringList before = candidates(&kb);
    QVERIFY(!before.isEmpty());
    type(&kb, QStringLiteral("q")); // no key begins with "zhq"
    QCOMPARE(code(&kb), QStringLiteral("zhq"));
    QCOMPARE(kb.m_nPageCount, 0);
    QCOMPARE(candidates(&kb), before);
    // Page buttons do nothing without pages.
    kb.barPressed(Qt::Key_Down);
    QCOMPARE(kb.m_nCurPage, 0);
    QCOMPARE(candidates(&kb), before);
}

void TestKeyboard::candidateInsertion()
{
    keyboard kb{QString(), QString()};
    pinyinMode(kb);
    type(&kb, QStringLiteral("ji"));
    click(&kb, QStringLiteral("listDown"));
    const QString second = child(&kb, QStringLiteral("font_2"))->text();
    click(&kb, QStringLiteral("font_2"));
    QCOMPARE(value(&kb), second);
    QVERIFY(code(&kb).isEmpty());
    QVERIFY(candidates(&kb).isEmpty());
    QVERIFY(!upEnabled(&kb) && !downEnabled(&kb));
}

void TestKeyboard::mixedTyping()
{
    keyboard kb(QStringLiteral("old"), QString());
    type(&kb, QStringLiteral("zk"));
    click(&kb, QStringLiteral("key_minus"));
    pinyinMode(kb);
    type(&kb, QStringLiteral("gongcheng"));
    const int at = candidates(&kb).indexOf(QStringLiteral("工程"));
    QVERIFY(at >= 0);
    click(&kb, QStringLiteral("font_%1").arg(at + 1));
    // Digits type straight through in pinyin mode.
    type(&kb, QStringLiteral("12"));
    click(&kb, QStringLiteral("key_Shift"));
    type(&kb, QStringLiteral("b")); // shift bypasses the input method
    click(&kb, QStringLiteral("key_Shift"));
    type(&kb, QStringLiteral("hao"));
    click(&kb, QStringLiteral("font_1"));
    pinyinMode(kb);
    type(&kb, QStringLiteral("x"));
    const QString hao = readDict('h').lines.value(QStringLiteral("hao")).first();
    QCOMPARE(value(&kb), QStringLiteral("zk-工程12B") + hao + QStringLiteral("x"));
}

void TestKeyboard::commonWordOnFirstPage_data()
{
    QTest::addColumn<QString>("pinyin");
    QTest::addColumn<QString>("word");
    QTest::newRow("gongcheng") << "gongcheng" << "工程";
    QTest::newRow("gc initials") << "gc" << "工程";
    QTest::newRow("gongsi") << "gongsi" << "公司";
    QTest::newRow("jianshe") << "jianshe" << "建设";
    QTest::newRow("jituan") << "jituan" << "集团";
    QTest::newRow("zhuangji") << "zhuangji" << "桩基";
    QTest::newRow("zuankong") << "zuankong" << "钻孔";
    QTest::newRow("youxiangongsi") << "yxgs" << "有限公司";
    QTest::newRow("wang") << "wang" << "王";
    QTest::newRow("zhang") << "zhang" << "张";
    QTest::newRow("li") << "li" << "李";
    QTest::newRow("chen") << "chen" << "陈";
}

void TestKeyboard::commonWordOnFirstPage()
{
    QFETCH(QString, pinyin);
    QFETCH(QString, word);
    keyboard kb{QString(), QString()};
    pinyinMode(kb);
    type(&kb, pinyin);
    QVERIFY2(candidates(&kb).contains(word), qPrintable(candidates(&kb).join(QLatin1Char(' '))));
}

void TestKeyboard::enterAndClose()
{
    {
        keyboard kb(QStringLiteral("  ZK 1  "), QString());
        auto a = answerNextModal("keyboard", [](QWidget *w) { clickChild(w, "key_Enter"); });
        QCOMPARE(kb.exec(), int(QDialog::Accepted));
        QVERIFY(a->answered);
        QCOMPARE(kb.GetText(), QStringLiteral("ZK 1"));
    }
    {
        keyboard kb(QStringLiteral("x"), QString());
        auto a = answerNextModal("keyboard", [](QWidget *w) { clickChild(w, "BtnOK"); });
        QCOMPARE(kb.exec(), int(QDialog::Accepted));
    }
    {
        keyboard kb(QStringLiteral("x"), QString());
        auto a = answerNextModal("keyboard", [](QWidget *w) { clickChild(w, "Key_Close"); });
        QCOMPARE(kb.exec(), int(QDialog::Rejected));
        QVERIFY(a->answered);
    }
}

void TestKeyboard::lengthNotice()
{
    keyboard kb(QStringLiteral("abc"), QString());
    kb.m_nMinLen = 4;
    kb.m_nMaxLen = 6;
    QString notice;
    auto a = answerNextModal("keyboard", [&](QWidget *w) {
        auto n = answerNextModal("frmMessageBox", [&](QWidget *m) {
            notice = childText<QLabel>(m, "labelMsg");
            clickChild(m, "BtnOK");
        });
        type(w, QStringLiteral("abc"));
        clickChild(w, "key_Enter"); // 3 characters: refused, stays open
        QVERIFY(w->isVisible());
        n->cancel();
        type(w, QStringLiteral("d"));
        clickChild(w, "key_Enter");
    });
    QCOMPARE(kb.exec(), int(QDialog::Accepted));
    QVERIFY(a->answered);
    QCOMPARE(notice, QStringLiteral("请输入字符串长度：4-6"));
    QCOMPARE(kb.GetText(), QStringLiteral("abcd"));

    // Growing past the maximum cuts the text back.
    keyboard cut{QString(), QString()};
    cut.m_nMaxLen = 3;
    auto n = answerNextModal("frmMessageBox", [&](QWidget *m) {
        notice = childText<QLabel>(m, "labelMsg");
        clickChild(m, "BtnOK");
    });
    cut.show();
    type(&cut, QStringLiteral("abcd"));
    QVERIFY(n->answered);
    QCOMPARE(value(&cut), QStringLiteral("abc"));
    QCOMPARE(notice, QStringLiteral("请输入字符串长度：0-3"));
}

void TestKeyboard::langSwitchDisabled()
{
    keyboard kb{QString(), QString()};
    kb.SetLangSwitchEnabled(false);
    QVERIFY(!child(&kb, QStringLiteral("key_LangueChange"))->isEnabled());
    QTest::mouseClick(child(&kb, QStringLiteral("key_LangueChange")), Qt::LeftButton);
    QCOMPARE(kb.m_nMode, 0);
    kb.SetLangSwitchEnabled(true);
    QCOMPARE(pinyinMode(kb), 1);
}

void TestKeyboard::pageTableCapped()
{
    // A line longer than the page table holds is cut at the table's size
    // instead of running past it.
    QStringList line{QStringLiteral("ji")};
    for (int i = 0; i < 200; ++i)
        line << QString::fromUtf8("及");
    const auto pages = keyboard::pageCandidates(line);
    QCOMPARE(pages.size(), keyboard::kMaxPages);
    QCOMPARE(pages.last(), qMakePair(141, 150));
}

void TestKeyboard::catalogueTexts()
{
    QTranslator tr;
    QVERIFY(tr.load(QStringLiteral(":/Language/English.qm")));
    QCoreApplication::installTranslator(&tr);
    keyboard kb{QString(), QString()};
    QCOMPARE(child(&kb, QStringLiteral("Key_Close"))->text(), QStringLiteral("Close"));
    QCOMPARE(childText<QLabel>(&kb, "label_input"), QStringLiteral("The input value is："));
    pinyinMode(kb);
    QCOMPARE(child(&kb, QStringLiteral("key_LangueChange"))->text(), QStringLiteral("Pinyin"));
    QCoreApplication::removeTranslator(&tr);
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
