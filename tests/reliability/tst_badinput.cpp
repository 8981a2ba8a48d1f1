// Bad operator input through the real set-up dialog and its real entry
// dialogs: every numeric field gets empty, huge, out-of-range, negative and
// malformed entries typed on the keypad's keys; every text field gets every
// character the keyboard can type. A refused entry shows its message and
// nothing of it reaches the record; an accepted text survives the hole file
// and the test-parameter file.

#include "cdlgset.h"
#include "ctrlinfo.h"
#include "fuzzsupport.h"
#include "holefile.h"
#include "modalanswer.h"
#include "paramfile.h"
#include "testsession.h"
#include "sysconfig.h"
#include "testsupport.h"

#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QtTest>

namespace {
// Counts the dialogs an answer was given to.
ModalAnswerer::Action counted(int *count, ModalAnswerer::Action action)
{
    return [count, action](QWidget *w) {
        ++*count;
        action(w);
    };
}

const char kEmpty[] = "输入为空，请重新输入！";
const char kRange[] = "输入的数值范围有误，请重新输入！";

// Keypad: clear, then the keys (a disabled key is noted and skipped, as a
// finger on it achieves nothing), then OK.
ModalAnswerer::Action typeKeys(const QString &keys, QString *disabled)
{
    return [keys, disabled](QWidget *w) {
        pressButton(w, "BtnClear");
        for (const QChar c : keys) {
            const QByteArray name = c == QLatin1Char('.')   ? QByteArray("BtnDot")
                                    : c == QLatin1Char('-') ? QByteArray("BtnSign")
                                                            : QByteArray("Btn").append(c.toLatin1());
            auto *b = w->findChild<QAbstractButton *>(QString::fromLatin1(name));
            QVERIFY2(b, name.constData());
            if (!b->isEnabled()) {
                disabled->append(c);
                continue;
            }
            b->click();
        }
        pressButton(w, "BtnNumKeyOK");
        // Refused: the keypad stays open after its message; give up on it.
        if (w->isVisible())
            pressButton(w, "BtnNumKeyCancel");
    };
}

ModalAnswerer::Action answer(QString *shown, const char *button = "BtnOK")
{
    return [shown, button](QWidget *w) {
        *shown = ModalAnswerer::messageOf(w);
        pressButton(w, button);
    };
}

void touch(QDialog *dlg, const QString &name)
{
    QWidget *w = dlg->findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dlg, 2000));
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(10, w->height() / 2));
}

// The record the set-up dialog stores when OK is pressed with no entry made.
QStringList untouchedSetUp()
{
    CTestSession session;
    CDlgSet dlg(&session);
    dlg.show();
    ModalAnswerer none;
    none.start();
    QTest::mouseClick(dlg.findChild<QPushButton *>(QStringLiteral("BtnOK")), Qt::LeftButton);
    none.finish();
    return describeRecord(session.record());
}

// Entries of a described record that differ from the baseline. The test
// time and date are the clock's at the record's making, not entries.
QStringList changes(const QStringList &baseline, const QStringList &now)
{
    QStringList out;
    for (int i = 0; i < now.size() && i < baseline.size(); ++i) {
        if (now.at(i) != baseline.at(i) && !now.at(i).startsWith(QLatin1String("testTime="))
            && !now.at(i).startsWith(QLatin1String("testDate=")))
            out << now.at(i);
    }
    return out;
}
}

class TstBadInput : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void numericEntry_data();
    void numericEntry();
    void everyKeyboardCharacter_data();
    void everyKeyboardCharacter();

private:
    std::unique_ptr<TestAppDir> m_dir;
    std::unique_ptr<CTestSession> m_session;
};

void TstBadInput::init()
{
    m_dir = std::make_unique<TestAppDir>();
    resetSysBaseConfig();
    m_session = std::make_unique<CTestSession>();
}

void TstBadInput::cleanup()
{
    m_session.reset();
    m_dir.reset();
}

void TstBadInput::numericEntry_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("refusedKeys");  // keys found disabled
    QTest::addColumn<QString>("keypadMessage"); // the keypad refuses and is cancelled
    QTest::addColumn<QString>("entryMessage");  // the set-up dialog refuses the entry at once
    QTest::addColumn<QString>("okMessage");     // the set-up dialog refuses OK
    QTest::addColumn<QStringList>("stored");    // what differs from an untouched set-up after OK
    auto row = [](const char *tag, const char *field, const char *keys, const char *refused, const char *keypad,
                  const char *entry, const char *ok, const QStringList &stored) {
        QTest::newRow(tag) << QString::fromLatin1(field) << QString::fromLatin1(keys) << QString::fromLatin1(refused)
                           << QString::fromUtf8(keypad) << QString::fromUtf8(entry) << QString::fromUtf8(ok)
                           << stored;
    };
    const QStringList nothing;
    const char kDepth[] = "桩长超出范围(0-200)，请重新输入！";
    const char kElevation[] = "标高超出范围(0-200)，请重新输入！";
    const char kDiameter[] = "桩径超出范围(1-9999)，请重新输入！";
    const char kAngle[] = "输入无效！偏移角超出范围(-360~360)！";
    row("depth empty", "editPileLen", "", "", kEmpty, "", "", nothing);
    row("depth huge", "editPileLen", "99999999", "", kRange, "", "", nothing);
    row("depth above 200", "editPileLen", "250", "", "", "", kDepth, nothing);
    row("depth point only", "editPileLen", ".", "", "", "", kDepth, nothing);
    row("depth two points", "editPileLen", "1.2.5", "", "", "", "",
        {"holeDepth=1250", "maxDepth=1250", "elevation=1250"});
    row("depth negative", "editPileLen", "-5", "-", "", "", "", {"holeDepth=5000", "maxDepth=5000", "elevation=5000"});
    row("elevation empty", "editPileBG", "", "", kEmpty, "", "", nothing);
    row("elevation huge", "editPileBG", "100000", "", kRange, "", "", nothing);
    row("elevation above 200", "editPileBG", "200.01", "", "", "", kElevation, nothing);
    row("elevation zero", "editPileBG", "0", "", "", "", kElevation, nothing);
    row("elevation negative", "editPileBG", "-1", "-", "", "", "", {"elevation=1000"});
    row("diameter point refused", "editPileD", ".", ".", kEmpty, "", "", nothing);
    row("diameter zero", "editPileD", "0", "", "", "", kDiameter, nothing);
    row("diameter above 9999", "editPileD", "10000", "", "", "", kDiameter, nothing);
    row("diameter huge", "editPileD", "99999999", "", kRange, "", "", nothing);
    row("angle below -360", "editAngle", "-999", "", "", kAngle, "", nothing);
    row("angle above 360", "editAngle", "361", "", "", kAngle, "", nothing);
    row("angle minus only", "editAngle", "-", "", "", "", "", nothing);
    row("angle huge negative", "editAngle", "-9999999", "", kRange, "", "", nothing);
    row("angle point refused", "editAngle", "3.5", ".", "", "", "", {"offsetAngle=35"});
    row("pulley empty", "EPulleyD", "", "", kEmpty, "", "", nothing);
    row("pulley huge", "EPulleyD", "99999999", "", kRange, "", "", nothing);
    row("pulley negative", "EPulleyD", "-3", "-", "", "", "", {"wheelD=3"});
    row("cable point only", "ELineD", ".", "", "", "", "", {"lineD=0"});
    row("cable huge", "ELineD", "123456789", "", kRange, "", "", nothing);
}

void TstBadInput::numericEntry()
{
    QFETCH(QString, field);
    QFETCH(QString, keys);
    QFETCH(QString, refusedKeys);
    QFETCH(QString, keypadMessage);
    QFETCH(QString, entryMessage);
    QFETCH(QString, okMessage);
    QFETCH(QStringList, stored);
    const QStringList baseline = untouchedSetUp();
    const QStringList initial = describeRecord(m_session->record());

    CDlgSet dlg(m_session.get());
    dlg.show();
    auto *edit = dlg.findChild<QLineEdit *>(field);
    QVERIFY(edit);
    const QString before = edit->text();
    QString disabled;
    QString shown;
    {
        QString asked;
        int keypads = 0;
        int messages = 0;
        ModalAnswerer answers;
        answers.answerAlways("CDlgNumKey", counted(&keypads, typeKeys(keys, &disabled)));
        answers.answerAlways("CDlgMsgBox", counted(&messages, answer(&shown)));
        // A hole depth above the elevation asks whether the elevation follows.
        answers.answerAlways("CDlgMsgQuestion", answer(&asked, "BtnCancel"));
        answers.start(20000);
        touch(&dlg, field);
        QCOMPARE(keypads, 1);
        QVERIFY2(answers.finish(), answers.report().constData());
        QCOMPARE(messages, keypadMessage.isEmpty() && entryMessage.isEmpty() ? 0 : 1);
    }
    const QString keypadShown = keypadMessage.isEmpty() ? QString() : shown;
    const QString entryShown = entryMessage.isEmpty() ? QString() : shown;
    QCOMPARE(disabled, refusedKeys);
    QCOMPARE(keypadShown, keypadMessage);
    QCOMPARE(entryShown, entryMessage);
    if (!keypadMessage.isEmpty() || !entryMessage.isEmpty())
        QCOMPARE(edit->text(), before); // a refused entry leaves the field
    // Nothing reaches the record before OK.
    QCOMPARE(describeRecord(m_session->record()), initial);

    ModalAnswerer ok;
    QString okShown;
    if (!okMessage.isEmpty())
        ok.expect("CDlgMsgBox", answer(&okShown));
    ok.start();
    QTest::mouseClick(dlg.findChild<QPushButton *>(QStringLiteral("BtnOK")), Qt::LeftButton);
    QVERIFY2(ok.finish(), ok.report().constData());
    QCOMPARE(okShown, okMessage);
    if (!okMessage.isEmpty()) {
        QVERIFY(dlg.isVisible());
        QCOMPARE(describeRecord(m_session->record()), initial);
    } else {
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(changes(baseline, describeRecord(m_session->record())), stored);
    }
}

void TstBadInput::everyKeyboardCharacter_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("recordField"); // name in the described record
    for (const auto &f : {std::make_pair("editGCMC", "projectName"), std::make_pair("editJCDW", "testUnit"),
                          std::make_pair("editSGDW", "constructionUnit"), std::make_pair("editJCRY", "tester"),
                          std::make_pair("editPileName", "holeNo")})
        QTest::newRow(f.first) << QString::fromLatin1(f.first) << QString::fromLatin1(f.second);
}

void TstBadInput::everyKeyboardCharacter()
{
    QFETCH(QString, field);
    QFETCH(QString, recordField);
    CDlgSet dlg(m_session.get());
    dlg.show();
    QString typed;
    // Typing beyond the field's length shows the keyboard's notice.
    int keyboards = 0;
    ModalAnswerer answers;
    answers.answerAlways("frmMessageBox", [](QWidget *w) { qobject_cast<QDialog *>(w)->accept(); });
    answers.answerAlways("keyboard", counted(&keyboards, [&typed](QWidget *w) {
        auto *value = w->findChild<QLineEdit *>(QStringLiteral("valueEdit"));
        QVERIFY(value);
        value->clear();
            // A key the dialog disabled cannot be typed: skip it.
        auto press = [w](const char *name) {
            auto *b = w->findChild<QAbstractButton *>(QString::fromLatin1(name));
            QVERIFY2(b, name);
            if (b->isEnabled())
                b->click();
        };
        // Every key of every layer: plain, shifted, caps lock, then a pinyin
        // candidate.
        const char *const keys[] = {"key_0", "key_1", "key_2", "key_3", "key_4", "key_5", "key_6",
                                    "key_7", "key_8", "key_9", "key_minus", "Key_Comma", "Key_Colon", "key_Space"};
        for (int layer = 0; layer < 2; ++layer) {
            for (const char *k : keys) {
                if (layer)
                    press("key_Shift");
                press(k);
                if (layer)
                    press("key_Shift");
            }
        }
        for (char c = 'A'; c <= 'Z'; ++c)
            press(QByteArray("key_").append(c).constData());
        press("key_Cap_Lock");
        for (char c = 'A'; c <= 'Z'; ++c)
            press(QByteArray("key_").append(c).constData());
        press("key_Cap_Lock");
        press("key_LangueChange"); // pinyin: z h o n g, first candidate
        for (const char *k : {"key_Z", "key_H", "key_O", "key_N", "key_G"})
            press(k);
        press("font_1");
        press("key_LangueChange");
        typed = value->text();
        press("BtnOK");
    }));
    answers.start(20000);
    touch(&dlg, field);
    QCOMPARE(keyboards, 1);
    QVERIFY2(answers.finish(), answers.report().constData());
    for (const QString &part : {QStringLiteral("0123456789"), QStringLiteral(")!@#~[^-]("),
                                QStringLiteral("abcdefghijklmnopqrstuvwxyz"), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ")})
        QVERIFY2(typed.contains(part), qPrintable(typed));
    QVERIFY2(typed.endsWith(QString::fromUtf8("中")), qPrintable(typed));

    // The field takes what the hole-file text can hold (79 GBK bytes, cut
    // between characters); OK stores exactly that.
    auto *edit = dlg.findChild<QLineEdit *>(field);
    const QString shown = edit->text();
    QVERIFY(!shown.isEmpty());
    QVERIFY(typed.startsWith(shown) || typed.trimmed().startsWith(shown.trimmed()));
    ModalAnswerer ok;
    ok.start();
    QTest::mouseClick(dlg.findChild<QPushButton *>(QStringLiteral("BtnOK")), Qt::LeftButton);
    QVERIFY2(ok.finish(), ok.report().constData());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    const QString entryName = recordField + QStringLiteral("=\"");
    QString storedText;
    for (const QString &e : describeRecord(m_session->record())) {
        if (e.startsWith(entryName))
            storedText = e.mid(entryName.size()).chopped(1);
    }
    QCOMPARE(storedText, shown.trimmed());

    // Through both files and back.
    QVERIFY(saveTestParams(m_session->record()));
    CtrlInfo params;
    loadTestParams(params);
    HoleSaveOptions o;
    o.sync = false;
    QVERIFY(saveHoleFile(m_dir->file(QStringLiteral("chars.CZO")), m_session->record(), {}, o));
    CtrlInfo hole;
    QVERIFY(readHoleFile(m_dir->file(QStringLiteral("chars.CZO")), hole).ok);
    for (const CtrlInfo *back : {&params, &hole}) {
        QString text;
        for (const QString &e : describeRecord(*back)) {
            if (e.startsWith(entryName))
                text = e.mid(entryName.size()).chopped(1);
        }
        QCOMPARE(text, storedText);
    }
}

QTEST_MAIN(TstBadInput)
#include "tst_badinput.moc"
