#include "cdlgmsgbox.h"
#include "cdlgmsgquestion.h"
#include "frmmessagebox.h"
#include "modalanswer.h"
#include "sysconfig.h"
#include "testsupport.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>
#include <QtTest>

class TestMsgDialogs : public QObject {
    Q_OBJECT
private slots:
    void init() { resetSysBaseConfig(); }
    void cleanup() { resetSysBaseConfig(); }

    void msgBoxResult_data();
    void msgBoxResult();
    void msgBoxCoversScreen();
    void msgBoxOverParentIsModalWindow();
    void questionResult_data();
    void questionResult();
    void compactQuestionGeometry_data();
    void compactQuestionGeometry();
    void compactQuestionOnScreen();
    void frmMessageBoxDeletesItself_data();
    void frmMessageBoxDeletesItself();
    void englishTexts();
    void catalogueTranslatesForms();
};

void TestMsgDialogs::msgBoxResult_data()
{
    QTest::addColumn<bool>("enableCancel");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("ok alone") << false << "BtnOK" << int(QDialog::Accepted);
    QTest::newRow("ok with cancel") << true << "BtnOK" << int(QDialog::Accepted);
    QTest::newRow("cancel") << true << "BtnCancel" << int(QDialog::Rejected);
}

void TestMsgDialogs::msgBoxResult()
{
    QFETCH(bool, enableCancel);
    QFETCH(QString, button);
    QFETCH(int, result);
    CDlgMsgBox box(QStringLiteral("保存成功！"), enableCancel);
    bool cancelShown = !enableCancel;
    QString shownText;
    const QByteArray name = button.toLatin1();
    auto answered = answerNextModal("CDlgMsgBox", [&](QWidget *w) {
        cancelShown = w->findChild<QPushButton *>(QStringLiteral("BtnCancel"))->isVisible();
        shownText = childText<QLabel>(w, "labelMsg");
        QVERIFY(clickChild(w, name.constData()));
    });
    QCOMPARE(box.exec(), result);
    QVERIFY(answered->answered);
    QCOMPARE(cancelShown, enableCancel);
    QCOMPARE(shownText, QStringLiteral("保存成功！"));
}

void TestMsgDialogs::msgBoxCoversScreen()
{
    TestAppDir dir;
    QVERIFY(QDir().mkpath(dir.file(QStringLiteral("8.4"))));
    CDlgMsgBox box(QStringLiteral("x"));
    QCOMPARE(box.geometry(), QRect(100, 100, 800, 600));
    QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(box.testAttribute(Qt::WA_TranslucentBackground));
    // The theme's common sheet comes after the form's own.
    QVERIFY(box.styleSheet().contains(QStringLiteral("QPushButton")));
}

void TestMsgDialogs::msgBoxOverParentIsModalWindow()
{
    QWidget parent;
    parent.setGeometry(50, 50, 300, 200);
    parent.show();
    CDlgMsgBox box(QStringLiteral("x"), false, &parent);
    QVERIFY(box.isWindow());
    QCOMPARE(box.geometry(), QGuiApplication::primaryScreen()->availableGeometry());
    bool modal = false;
    auto a = answerNextModal("CDlgMsgBox", [&](QWidget *w) {
        modal = QApplication::activeModalWidget() == w;
        clickChild(w, "BtnOK");
    });
    QCOMPARE(box.exec(), int(QDialog::Accepted));
    QVERIFY(a->answered);
    QVERIFY(modal);
}

void TestMsgDialogs::questionResult_data()
{
    QTest::addColumn<bool>("compact");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("full ok") << false << "BtnOK" << int(QDialog::Accepted);
    QTest::newRow("full cancel") << false << "BtnCancel" << int(QDialog::Rejected);
    QTest::newRow("compact ok") << true << "BtnOK" << int(QDialog::Accepted);
    QTest::newRow("compact cancel") << true << "BtnCancel" << int(QDialog::Rejected);
}

void TestMsgDialogs::questionResult()
{
    QFETCH(bool, compact);
    QFETCH(QString, button);
    QFETCH(int, result);
    CDlgMsgQuestion q(QStringLiteral("文件已存在，是否覆盖？"), compact);
    QString shown;
    const QByteArray name = button.toLatin1();
    auto answered = answerNextModal("CDlgMsgQuestion", [&](QWidget *w) {
        shown = childText<QLabel>(w, "LBShow");
        QVERIFY(clickChild(w, name.constData()));
    });
    QCOMPARE(q.exec(), result);
    QVERIFY(answered->answered);
    QCOMPARE(shown, QStringLiteral("文件已存在，是否覆盖？"));
}

void TestMsgDialogs::compactQuestionGeometry_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("800x600") << QSize(800, 600) << QRect(200, 120, 400, 120);
    QTest::newRow("1024x768") << QSize(1024, 768) << QRect(256, 153, 512, 153);
    QTest::newRow("odd sizes truncate") << QSize(1023, 767) << QRect(255, 153, 511, 153);
}

void TestMsgDialogs::compactQuestionGeometry()
{
    QFETCH(QSize, screen);
    QFETCH(QRect, expected);
    QCOMPARE(CDlgMsgQuestion::compactGeometry(screen), expected);
}

void TestMsgDialogs::compactQuestionOnScreen()
{
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    CDlgMsgQuestion compact(QStringLiteral("q"), true);
    QCOMPARE(compact.geometry(), CDlgMsgQuestion::compactGeometry(screen));
    QCOMPARE(compact.minimumSize(), compact.maximumSize());
    CDlgMsgQuestion full(QStringLiteral("q"), false);
    QCOMPARE(full.geometry(), QGuiApplication::primaryScreen()->availableGeometry());
}

void TestMsgDialogs::frmMessageBoxDeletesItself_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("ok") << "BtnOK" << int(QDialog::Accepted);
    QTest::newRow("closed") << "" << int(QDialog::Rejected);
}

void TestMsgDialogs::frmMessageBoxDeletesItself()
{
    QFETCH(QString, button);
    QFETCH(int, result);
    QPointer<frmMessageBox> msg = new frmMessageBox;
    msg->SetMessage(QStringLiteral("请输入字符串长度：0-65535"), 0);
    bool cancelShown = true;
    QString title;
    const QByteArray name = button.toLatin1();
    auto answered = answerNextModal("frmMessageBox", [&](QWidget *w) {
        cancelShown = w->findChild<QPushButton *>(QStringLiteral("BtnCancel"))->isVisible();
        title = childText<QLabel>(w, "DlgTitleBarTitle");
        if (name.isEmpty())
            w->close();
        else
            QVERIFY(clickChild(w, name.constData()));
    });
    QCOMPARE(msg->exec(), result);
    QVERIFY(answered->answered);
    QVERIFY(!cancelShown);
    QCOMPARE(title, QStringLiteral("提示"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(msg.isNull());
}

void TestMsgDialogs::englishTexts()
{
    language = 1;
    CDlgMsgBox box(QStringLiteral("m"), true);
    CDlgMsgQuestion q(QStringLiteral("m"), false);
    auto *msg = new frmMessageBox;
    msg->SetMessage(QStringLiteral("m"), 0);
    struct Expect {
        QWidget *w;
        const char *title, *ok, *cancel;
    } expects[] = {{&box, "Information", "OK", "Cancel"},
                   {&q, "Message", "OK", "Cancel"},
                   {msg, "Notice", "OK", "CANCEL"}};
    for (const Expect &e : expects) {
        QCOMPARE(childText<QLabel>(e.w, "DlgTitleBarTitle"), QString::fromLatin1(e.title));
        QCOMPARE(childText<QPushButton>(e.w, "BtnOK"), QString::fromLatin1(e.ok));
        QCOMPARE(childText<QPushButton>(e.w, "BtnCancel"), QString::fromLatin1(e.cancel));
    }
    delete msg;
}

void TestMsgDialogs::catalogueTranslatesForms()
{
    // With the catalogue installed (the "English.language" marker) the form
    // texts come out in English even when the setting stays Chinese.
    QTranslator tr;
    QVERIFY(tr.load(QStringLiteral(":/Language/English.qm")));
    QCoreApplication::installTranslator(&tr);
    CDlgMsgBox box(QStringLiteral("m"), true);
    CDlgMsgQuestion q(QStringLiteral("m"), false);
    frmMessageBox *msg = new frmMessageBox;
    QCOMPARE(childText<QLabel>(&box, "DlgTitleBarTitle"), QStringLiteral("Information"));
    QCOMPARE(childText<QPushButton>(&box, "BtnCancel"), QStringLiteral("Cancel"));
    QCOMPARE(childText<QLabel>(&q, "DlgTitleBarTitle"), QStringLiteral("Message"));
    QCOMPARE(childText<QPushButton>(msg, "BtnCancel"), QStringLiteral("CANCEL"));
    msg->SetMessage(QStringLiteral("m"), 0);
    QCOMPARE(childText<QLabel>(msg, "DlgTitleBarTitle"), QStringLiteral("Notice"));
    delete msg;
    QCoreApplication::removeTranslator(&tr);
}

QTEST_MAIN(TestMsgDialogs)
#include "tst_msgdialogs.moc"
