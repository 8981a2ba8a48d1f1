// Logins, sessions, CSRF, the lock-out, bearer tokens and the listen rule,
// through HTTP and HTTPS against a real zpvw-archive serve on 127.0.0.1
// (a CA and a certificate made with the openssl command for the test);
// users and tokens made with the real CLI. Every server child is stopped
// by its PID when its object goes; every wait is bounded.

#include "archivefixture.h"
#include "webgate.h"
#include "webserverchild.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>
#include <QtTest>
#include <httplib.h>
#include <memory>

namespace {
const char kPassword[] = "tall-cedar-river-42";
const char kViewerPassword[] = "quiet-harbour-lamp-7";

QString cookieOf(const httplib::Result &res, const QString &name)
{
    if (!res)
        return QString();
    const auto range = res->headers.equal_range("Set-Cookie");
    for (auto it = range.first; it != range.second; ++it) {
        const QString c = QString::fromStdString(it->second);
        if (c.startsWith(name + QLatin1Char('=')))
            return c;
    }
    return QString();
}

// "NAME=VALUE; flags" -> VALUE
QString valueOf(const QString &setCookie)
{
    const int eq = setCookie.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : setCookie.mid(eq + 1).section(QLatin1Char(';'), 0, 0);
}

QString formCsrf(const std::string &body)
{
    static const QRegularExpression re(QStringLiteral("name=\"csrf\" value=\"([^\"]+)\""));
    return re.match(QString::fromStdString(body)).captured(1);
}

bool makeCertificates(const QString &dir)
{
    const QString d = dir + QLatin1Char('/');
    if (!writeFileBytes(d + QStringLiteral("ext"), "subjectAltName=IP:127.0.0.1\n"))
        return false;
    auto ssl = [](const QStringList &args) { return runChild(QStringLiteral("openssl"), args, QProcessEnvironment::systemEnvironment(), 30000).exitCode == 0; };
    return ssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2",
                "-subj", "/CN=zpvw test CA", "-keyout", d + "ca.key", "-out", d + "ca.pem"})
           && ssl({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-subj", "/CN=127.0.0.1",
                   "-keyout", d + "srv.key", "-out", d + "srv.csr"})
           && ssl({"x509", "-req", "-in", d + "srv.csr", "-CA", d + "ca.pem", "-CAkey", d + "ca.key", "-CAcreateserial",
                   "-days", "2", "-extfile", d + "ext", "-out", d + "srv.pem"});
}
} // namespace

// A serve child and the way to talk to it.
struct Web {
    std::unique_ptr<CServeChild> child;
    bool https = false;
    QString ca;
    QString peer; // the local address to send from ("" = the system's choice)

    std::unique_ptr<httplib::Client> client() const
    {
        auto c = std::make_unique<httplib::Client>(
            QStringLiteral("%1://127.0.0.1:%2").arg(https ? "https" : "http").arg(child->port()).toStdString());
        c->set_read_timeout(30, 0);
        c->set_connection_timeout(10, 0);
        if (https)
            c->set_ca_cert_path(ca.toStdString());
        if (!peer.isEmpty())
            c->set_interface(peer.toStdString());
        return c;
    }
    QString sessionCookie() const { return sessionCookieName(https); }
    httplib::Result get(const QString &path, const QString &session = QString(), httplib::Headers headers = {}) const
    {
        if (!session.isEmpty())
            headers.emplace("Cookie", QStringLiteral("%1=%2").arg(sessionCookie(), session).toStdString());
        return client()->Get(path.toUtf8().constData(), headers);
    }
    httplib::Result post(const QString &path, const QString &cookies, const httplib::Params &form,
                         httplib::Headers headers = {}) const
    {
        if (!cookies.isEmpty())
            headers.emplace("Cookie", cookies.toStdString());
        return client()->Post(path.toUtf8().constData(), headers, form);
    }
    // The login form, then the POST; the answer of the POST.
    httplib::Result login(const QString &name, const QString &password, const QString &next = QStringLiteral("/"),
                          httplib::Headers headers = {}) const
    {
        auto form = client()->Get("/login");
        if (!form)
            return form;
        const QString loginCookie = valueOf(cookieOf(form, loginCookieName(https)));
        return post(QStringLiteral("/login"), QStringLiteral("%1=%2").arg(loginCookieName(https), loginCookie),
                    {{"csrf", formCsrf(form->body).toStdString()},
                     {"name", name.toStdString()},
                     {"password", password.toStdString()},
                     {"next", next.toStdString()}},
                    headers);
    }
    // A session token and the CSRF token of its pages.
    bool signIn(const QString &name, const QString &password, QString *session, QString *csrf) const
    {
        const auto res = login(name, password);
        *session = valueOf(cookieOf(res, sessionCookie()));
        if (!res || res->status != 303 || session->isEmpty())
            return false;
        const auto page = get(QStringLiteral("/"), *session);
        *csrf = page ? formCsrf(page->body) : QString();
        return page && page->status == 200 && !csrf->isEmpty();
    }
};

class TestWebLogin : public QObject {
    Q_OBJECT

    CTestEngine m_engine;
    QTemporaryDir m_tls;
    QString m_db;      // an archive with users and a token
    QString m_openDb;  // one without users
    QString m_token;
    QString m_revoked;
    Web m_web;

    QString project() const { return QStringLiteral("Bridge 7"); }

    ToolRun tool(const QString &db, const QStringList &args) { return runArchiveTool(QStringList{"--db", db} << args); }
    bool addUser(const QString &db, const QString &name, const QString &role, const QString &password)
    {
        const QString file = m_engine.workDir() + QStringLiteral("/pw-") + name;
        writeFileBytes(file, password.toUtf8() + '\n');
        const ToolRun r = tool(db, {"user", "add", name, "--role", role, "--password-file", file});
        QFile::remove(file);
        if (r.exitCode != 0)
            qWarning("user add: %s", r.err.constData());
        return r.exitCode == 0;
    }
    Web start(const QString &db, bool https, const QStringList &extra = {})
    {
        Web w;
        w.https = https;
        w.ca = m_tls.filePath(QStringLiteral("ca.pem"));
        QStringList args = extra;
        if (https)
            args << "--tls-cert" << m_tls.filePath(QStringLiteral("srv.pem")) << "--tls-key"
                 << m_tls.filePath(QStringLiteral("srv.key"));
        w.child = std::make_unique<CServeChild>(db, args);
        return w;
    }
    QString sql(const QString &query)
    {
        QString out;
        m_engine.ownClient(m_db, query, &out);
        return out;
    }

private slots:
    void initTestCase()
    {
        QString why;
        if (m_engine.skipBecauseAbsent())
            QSKIP("the PostgreSQL run is skipped: no server binaries");
        QVERIFY2(m_engine.ready(&why), qUtf8Printable(why));
        if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
            QSKIP("the openssl command is missing");
        QVERIFY(makeCertificates(m_tls.path()));
        const QString src = m_engine.workDir() + QStringLiteral("/usb");
        HoleShape a1;
        a1.limitMm = 50;
        a1.verdict = 0;
        QVERIFY(writeFileBytes(src + QStringLiteral("/site/A1.CZO"), holeFileBytes(a1)));
        HoleShape a2 = a1;
        a2.hole = QStringLiteral("A2");
        QVERIFY(writeFileBytes(src + QStringLiteral("/site/A2.CZO"), holeFileBytes(a2)));
        m_db = m_engine.freshArchive();
        m_openDb = m_engine.freshArchive();
        for (const QString &db : {m_db, m_openDb})
            QCOMPARE(tool(db, {"import", src}).exitCode, 0);
        QVERIFY(addUser(m_db, QStringLiteral("alice"), QStringLiteral("engineer"), QString::fromUtf8(kPassword)));
        QVERIFY(addUser(m_db, QStringLiteral("victor"), QStringLiteral("viewer"), QString::fromUtf8(kViewerPassword)));
        ToolRun t = tool(m_db, {"token", "add", "platform"});
        QCOMPARE(t.exitCode, 0);
        m_token = QString::fromUtf8(t.out).trimmed();
        t = tool(m_db, {"token", "add", "old-script"});
        m_revoked = QString::fromUtf8(t.out).trimmed();
        QCOMPARE(tool(m_db, {"token", "revoke", "old-script"}).exitCode, 0);
        QCOMPARE(m_token.size(), 43);
        m_web = start(m_db, false);
        QVERIFY2(m_web.child->ok(), qUtf8Printable(m_web.child->output()));
    }

    void cleanupTestCase() { m_web.child.reset(); }

    // The decisions of the gate, without a server.
    void throttleCountsNamesAndAddresses()
    {
        CLoginThrottle t;
        const qint64 t0 = 1000000;
        for (int i = 0; i < 4; ++i)
            t.failed(QStringLiteral("alice"), QStringLiteral("198.51.100.1"), t0 + i);
        QVERIFY(!t.refused(QStringLiteral("alice"), QStringLiteral("198.51.100.1"), t0 + 5));
        t.failed(QStringLiteral("alice"), QStringLiteral("198.51.100.1"), t0 + 5);
        QVERIFY(t.refused(QStringLiteral("alice"), QStringLiteral("198.51.100.9"), t0 + 6));  // the name
        QVERIFY(t.refused(QStringLiteral("bob"), QStringLiteral("198.51.100.1"), t0 + 6));    // the address
        QVERIFY(!t.refused(QStringLiteral("bob"), QStringLiteral("198.51.100.9"), t0 + 6));
        // The oldest failure leaves the window five minutes after it.
        QVERIFY(t.refused(QStringLiteral("alice"), QStringLiteral("198.51.100.9"), t0 + CLoginThrottle::kWindowSeconds - 1));
        QVERIFY(!t.refused(QStringLiteral("alice"), QStringLiteral("198.51.100.9"), t0 + CLoginThrottle::kWindowSeconds));
        // A success clears its name, not the address.
        t.failed(QStringLiteral("carol"), QStringLiteral("198.51.100.2"), t0);
        for (int i = 0; i < 4; ++i)
            t.failed(QStringLiteral("carol"), QStringLiteral("198.51.100.3"), t0);
        t.succeeded(QStringLiteral("carol"));
        QVERIFY(!t.refused(QStringLiteral("carol"), QStringLiteral("198.51.100.4"), t0 + 1));
    }

    void nextMustStayOnThisServer_data()
    {
        QTest::addColumn<QString>("next");
        QTest::addColumn<bool>("local");
        QTest::newRow("page") << "/hole?project=a&hole=b" << true;
        QTest::newRow("root") << "/" << true;
        QTest::newRow("other host") << "//evil.example/" << false;
        QTest::newRow("backslash") << "/\\evil.example" << false;
        QTest::newRow("absolute") << "https://evil.example/" << false;
        QTest::newRow("header split") << "/\r\nSet-Cookie: x=y" << false;
        QTest::newRow("empty") << "" << false;
    }
    void nextMustStayOnThisServer()
    {
        QFETCH(QString, next);
        QFETCH(bool, local);
        QCOMPARE(isLocalPath(next), local);
    }

    void withoutSessionEveryPageGoesToLogin_data()
    {
        QTest::addColumn<QString>("path");
        const QString p = QString::fromLatin1(QUrl::toPercentEncoding(project()));
        QTest::newRow("projects") << "/";
        QTest::newRow("project") << "/project?name=" + p;
        QTest::newRow("hole") << "/hole?project=" + p + "&hole=A1";
        QTest::newRow("search") << "/search?q=A1";
        QTest::newRow("summary csv") << "/summary.csv?name=" + p;
        QTest::newRow("summary pdf") << "/summary.pdf?name=" + p;
        QTest::newRow("file") << "/file?sha=" + QString(64, QLatin1Char('0'));
    }
    void withoutSessionEveryPageGoesToLogin()
    {
        QFETCH(QString, path);
        for (const QString &session : {QString(), QStringLiteral("forged-token-forged-token-forged-token-xx")}) {
            const auto res = m_web.get(path, session);
            QVERIFY(res);
            QCOMPARE(res->status, 303);
            // The server percent-encodes the path; httplib's client hands
            // the Location header over decoded once.
            QCOMPARE(QString::fromStdString(res->get_header_value("Location")), QStringLiteral("/login?next=") + path);
            QVERIFY(res->body.find("Bridge") == std::string::npos);
        }
        // After the login, the browser comes back to that page.
        const auto login = m_web.login(QStringLiteral("alice"), QString::fromUtf8(kPassword), path);
        QVERIFY(login);
        QCOMPARE(login->status, 303);
        QCOMPARE(QString::fromStdString(login->get_header_value("Location")), QUrl::fromPercentEncoding(path.toUtf8()));
    }

    void login_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("status");
        QTest::newRow("right") << "alice" << QString::fromUtf8(kPassword) << 303;
        QTest::newRow("viewer") << "victor" << QString::fromUtf8(kViewerPassword) << 303;
        QTest::newRow("wrong password") << "alice" << "tall-cedar-river-43" << 401;
        QTest::newRow("another's password") << "victor" << QString::fromUtf8(kPassword) << 401;
        QTest::newRow("unknown user") << "mallory" << QString::fromUtf8(kPassword) << 401;
        QTest::newRow("empty password") << "alice" << "" << 401;
    }
    void login()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(int, status);
        // A server of its own: the failures count towards the lock-out.
        Web web = start(m_db, false);
        QVERIFY(web.child->ok());
        const auto res = web.login(name, password);
        QVERIFY(res);
        QCOMPARE(res->status, status);
        const QString session = valueOf(cookieOf(res, web.sessionCookie()));
        QCOMPARE(session.isEmpty(), status != 303);
        const auto page = web.get(QStringLiteral("/"), session);
        QCOMPARE(page->status, status == 303 ? 200 : 303);
        if (status == 303) {
            // The page names who is signed in and offers the logout.
            QVERIFY(page->body.find(name.toStdString()) != std::string::npos);
            QVERIFY(page->body.find("action=\"/logout\"") != std::string::npos);
        }
        // Each login is a new session.
        if (status == 303)
            QVERIFY(valueOf(cookieOf(web.login(name, password), web.sessionCookie())) != session);
    }

    void loginFormNeedsItsCsrfToken_data()
    {
        QTest::addColumn<QString>("cookie");
        QTest::addColumn<QString>("field");
        QTest::newRow("neither") << "" << "";
        QTest::newRow("no field") << "good" << "";
        QTest::newRow("no cookie") << "" << "good";
        QTest::newRow("other value") << "good" << "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
    }
    void loginFormNeedsItsCsrfToken()
    {
        QFETCH(QString, cookie);
        QFETCH(QString, field);
        const auto form = m_web.client()->Get("/login");
        const QString good = valueOf(cookieOf(form, loginCookieName(false)));
        QVERIFY(!good.isEmpty());
        const auto res = m_web.post(
            QStringLiteral("/login"), cookie.isEmpty() ? QString() : QStringLiteral("zpvw_login=%1").arg(good),
            {{"csrf", (field == QLatin1String("good") ? good : field).toStdString()},
             {"name", "alice"},
             {"password", kPassword}});
        QVERIFY(res);
        QCOMPARE(res->status, 403);
        QVERIFY(cookieOf(res, m_web.sessionCookie()).isEmpty());
    }

    void cookieFlags_data()
    {
        QTest::addColumn<bool>("https");
        QTest::newRow("http on loopback") << false;
        QTest::newRow("https") << true;
    }
    void cookieFlags()
    {
        QFETCH(bool, https);
        Web web = start(m_db, https);
        QVERIFY2(web.child->ok(), qUtf8Printable(web.child->output()));
        const auto res = web.login(QStringLiteral("alice"), QString::fromUtf8(kPassword));
        QVERIFY2(res, httplib::to_string(res.error()).c_str());
        QCOMPARE(res->status, 303);
        const QString c = cookieOf(res, https ? QStringLiteral("__Host-zpvw_session") : QStringLiteral("zpvw_session"));
        QVERIFY2(!c.isEmpty(), qUtf8Printable(c));
        const QStringList flags = c.split(QStringLiteral("; ")).mid(1);
        QVERIFY(flags.contains(QStringLiteral("HttpOnly")));
        QVERIFY(flags.contains(QStringLiteral("SameSite=Strict")));
        QVERIFY(flags.contains(QStringLiteral("Path=/")));
        QCOMPARE(flags.contains(QStringLiteral("Secure")), https);
        QVERIFY(!c.contains(QStringLiteral("Domain"), Qt::CaseInsensitive));
        // Over HTTPS the browser is told to keep to it.
        QCOMPARE(res->has_header("Strict-Transport-Security"), https);
        // 256 random bits.
        QCOMPARE(QByteArray::fromBase64(valueOf(c).toLatin1(), QByteArray::Base64UrlEncoding).size(), 32);
        // The session works over this server's scheme.
        QCOMPARE(web.get(QStringLiteral("/"), valueOf(c))->status, 200);
    }

    void postNeedsTheSessionsCsrfToken_data()
    {
        QTest::addColumn<QString>("csrf");
        QTest::addColumn<int>("status");
        QTest::newRow("missing") << "" << 403;
        QTest::newRow("wrong") << "wrong" << 403;
        QTest::newRow("another session's") << "other" << 403;
        QTest::newRow("one character off") << "offbyone" << 403;
        QTest::newRow("right") << "right" << 303;
    }
    void postNeedsTheSessionsCsrfToken()
    {
        QFETCH(QString, csrf);
        QFETCH(int, status);
        QString session, token, otherSession, otherToken;
        QVERIFY(m_web.signIn(QStringLiteral("alice"), QString::fromUtf8(kPassword), &session, &token));
        QVERIFY(m_web.signIn(QStringLiteral("victor"), QString::fromUtf8(kViewerPassword), &otherSession, &otherToken));
        QString sent = csrf;
        if (csrf == QLatin1String("right"))
            sent = token;
        else if (csrf == QLatin1String("other"))
            sent = otherToken;
        else if (csrf == QLatin1String("offbyone"))
            sent = token.left(token.size() - 1) + (token.endsWith(QLatin1Char('A')) ? QLatin1Char('B') : QLatin1Char('A'));
        httplib::Params form;
        if (!sent.isEmpty())
            form.emplace("csrf", sent.toStdString());
        const auto res = m_web.post(QStringLiteral("/logout"), QStringLiteral("zpvw_session=%1").arg(session), form);
        QVERIFY(res);
        QCOMPARE(res->status, status);
        // Logout ends the session: its cookie no longer opens a page.
        QCOMPARE(m_web.get(QStringLiteral("/"), session)->status, status == 303 ? 303 : 200);
        QCOMPARE(m_web.get(QStringLiteral("/"), otherSession)->status, 200);
    }

    // The hole page's re-judgement by role, through the gate: a viewer is
    // refused, so is a form without its CSRF token; an engineer's makes a
    // new version in their name.
    void rejudgeByRole_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("withCsrf");
        QTest::addColumn<int>("status");
        QTest::newRow("viewer") << "victor" << true << 403;
        QTest::newRow("engineer without the CSRF token") << "alice" << false << 403;
        QTest::newRow("engineer") << "alice" << true << 303;
    }
    void rejudgeByRole()
    {
        QFETCH(QString, user);
        QFETCH(bool, withCsrf);
        QFETCH(int, status);
        const QString password = QString::fromUtf8(user == QLatin1String("alice") ? kPassword : kViewerPassword);
        QString session, csrf, engineerSession, engineerCsrf;
        QVERIFY(m_web.signIn(user, password, &session, &csrf));
        QVERIFY(m_web.signIn(QStringLiteral("alice"), QString::fromUtf8(kPassword), &engineerSession, &engineerCsrf));
        const QString holePath = QStringLiteral("/hole?project=%1&hole=A2")
                                     .arg(QString::fromLatin1(QUrl::toPercentEncoding(project())));
        // The version to re-judge, as the engineer's form names it.
        const auto page = m_web.get(holePath, engineerSession);
        QVERIFY(page && page->status == 200);
        const QRegularExpressionMatch version = QRegularExpression(QStringLiteral("name=\"version\" value=\"(\\d+)\""))
                                                    .match(QString::fromStdString(page->body));
        QVERIFY2(version.hasMatch(), page->body.c_str());
        const QString reason = QStringLiteral("Supervisor decision (%1)").arg(QString::fromLatin1(QTest::currentDataTag()));
        httplib::Params form{{"project", project().toStdString()},
                             {"hole", "A2"},
                             {"version", version.captured(1).toStdString()},
                             {"thickness", "7"},
                             {"quality", ""},
                             {"basis", ""},
                             {"limit", "100"},
                             {"reason", reason.toStdString()}};
        if (withCsrf)
            form.emplace("csrf", csrf.toStdString());
        const ToolRun before = tool(m_db, {"history", project(), "A2"});
        const auto res = m_web.post(QStringLiteral("/rejudge"), QStringLiteral("zpvw_session=%1").arg(session), form);
        QVERIFY(res);
        QCOMPARE(res->status, status);
        const ToolRun after = tool(m_db, {"history", project(), "A2"});
        if (status != 303) {
            QCOMPARE(after.out, before.out);
            return;
        }
        QVERIFY(QString::fromStdString(res->get_header_value("Location")).startsWith(QLatin1String("/hole?")));
        QVERIFY2(after.out.contains("rejudged in the office by alice") && after.out.contains(reason.toUtf8()),
                 after.out.constData());
        const auto shown = m_web.get(holePath, session);
        QVERIFY(shown && shown->status == 200);
        QVERIFY(QString::fromStdString(shown->body).contains(reason.toHtmlEscaped()));
    }

    void postWithoutSessionIsRefused()
    {
        const auto res = m_web.post(QStringLiteral("/logout"), QString(), {{"csrf", "x"}});
        QVERIFY(res);
        QCOMPARE(res->status, 403);
    }

    void sessionsEnd_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("idle too long") << "UPDATE sessions SET last_seen = last_seen - 1801";
        QTest::newRow("too old") << "UPDATE sessions SET created_at = created_at - 43201, last_seen = last_seen + 0";
        QTest::newRow("user disabled") << "disable";
        QTest::newRow("new password") << "password";
    }
    void sessionsEnd()
    {
        QFETCH(QString, how);
        const QString name = QStringLiteral("ending%1").arg(QString::fromLatin1(QTest::currentDataTag())).remove(QLatin1Char(' '));
        QVERIFY(addUser(m_db, name, QStringLiteral("viewer"), QString::fromUtf8(kPassword)));
        QString session, csrf;
        QVERIFY(m_web.signIn(name, QString::fromUtf8(kPassword), &session, &csrf));
        if (how == QLatin1String("disable")) {
            QCOMPARE(tool(m_db, {"user", "disable", name}).exitCode, 0);
        } else if (how == QLatin1String("password")) {
            const QString file = m_engine.workDir() + QStringLiteral("/newpw");
            QVERIFY(writeFileBytes(file, "another-long-secret-9\n"));
            QCOMPARE(tool(m_db, {"user", "password", name, "--password-file", file}).exitCode, 0);
        } else {
            QVERIFY(m_engine.ownClient(m_db, how + QStringLiteral(" WHERE user_name = '%1'").arg(name)));
        }
        const auto res = m_web.get(QStringLiteral("/"), session);
        QCOMPARE(res->status, 303);
        QVERIFY(QString::fromStdString(res->get_header_value("Location")).startsWith(QLatin1String("/login")));
    }

    void abandonedSessionsRemovedAtALogin()
    {
        QVERIFY(addUser(m_db, QStringLiteral("leaver"), QStringLiteral("viewer"), QString::fromUtf8(kPassword)));
        QString session, csrf;
        QVERIFY(m_web.signIn(QStringLiteral("leaver"), QString::fromUtf8(kPassword), &session, &csrf));
        const QString count = QStringLiteral("SELECT COUNT(*) FROM sessions WHERE user_name = 'leaver'");
        QCOMPARE(sql(count), QStringLiteral("1"));
        // Never presented again, but idle for longer than allowed.
        QVERIFY(m_engine.ownClient(m_db, QStringLiteral("UPDATE sessions SET last_seen = last_seen - 1801"
                                                        " WHERE user_name = 'leaver'")));
        QCOMPARE(m_web.login(QStringLiteral("victor"), QString::fromUtf8(kViewerPassword))->status, 303);
        QCOMPARE(sql(count), QStringLiteral("0"));
    }

    // Five failures for a name, or from an address, within five minutes:
    // then even the right password is refused (a new server each: the
    // counts live in the server).
    void lockOut_data()
    {
        QTest::addColumn<bool>("sameName");
        QTest::newRow("one name") << true;
        QTest::newRow("one address, many names") << false;
    }
    void lockOut()
    {
        QFETCH(bool, sameName);
        Web web = start(m_db, false);
        QVERIFY(web.child->ok());
        for (int i = 0; i < CLoginThrottle::kMaxFailures; ++i) {
            const auto res = web.login(sameName ? QStringLiteral("alice") : QStringLiteral("guess%1").arg(i),
                                       QStringLiteral("not-the-password"));
            QVERIFY(res);
            QCOMPARE(res->status, 401);
        }
        // Spoofed address headers do not dodge it: the socket's peer counts.
        const httplib::Headers spoofed{{"X-Forwarded-For", "203.0.113.9"}, {"X-Real-IP", "203.0.113.9"},
                                       {"REMOTE_ADDR", "203.0.113.9"}, {"Forwarded", "for=203.0.113.9"}};
        const auto refused = web.login(QStringLiteral("alice"), QString::fromUtf8(kPassword), QStringLiteral("/"), spoofed);
        QVERIFY(refused);
        QCOMPARE(refused->status, 429);
        QVERIFY(cookieOf(refused, web.sessionCookie()).isEmpty());
        // From another loopback address: refused by name, let in by address.
        web.peer = QStringLiteral("127.0.0.2");
        const auto other = web.login(QStringLiteral("alice"), QString::fromUtf8(kPassword));
        QVERIFY2(other, httplib::to_string(other.error()).c_str());
        QCOMPARE(other->status, sameName ? 429 : 303);
        // The refusal is in the trail with the real peer address (the
        // server stopped first: its threads' connections are let go).
        web.child.reset();
        const QString trail = sql(QStringLiteral("SELECT detail FROM audit WHERE action = 'login'"
                                                 " AND detail LIKE 'login refused%'"));
        QVERIFY2(trail.contains(QLatin1String("login refused for alice from 127.0.0.1")), qUtf8Printable(trail));
        QVERIFY(!trail.contains(QLatin1String("203.0.113.9")));
    }

    void api_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("token");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("contains");
        const QString holes = QStringLiteral("/api/v1/projects/Bridge%207/holes");
        QTest::newRow("no token") << "/api/v1/projects" << "" << 401 << "bearer";
        QTest::newRow("revoked token") << "/api/v1/projects" << "revoked" << 401 << "bearer";
        QTest::newRow("unknown token") << "/api/v1/projects" << "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA" << 401 << "";
        QTest::newRow("session cookie instead") << "/api/v1/projects" << "session" << 401 << "";
        QTest::newRow("projects") << "/api/v1/projects" << "good" << 200 << "\"project\":\"Bridge 7\"";
        QTest::newRow("holes") << holes << "good" << 200 << "\"hole\":\"A2\"";
        QTest::newRow("hole") << holes + "/A1" << "good" << 200 << "\"depthMm\":";
        QTest::newRow("hole version") << holes + "/A1?version=1" << "good" << 200 << "\"versionId\":1";
        QTest::newRow("other hole's version") << holes + "/A1?version=2" << "good" << 404 << "no such version";
        QTest::newRow("bad version") << holes + "/A1?version=1%20OR%201" << "good" << 400 << "";
        QTest::newRow("summary") << "/api/v1/projects/Bridge%207/summary" << "good" << 200 << "\"passed\":2";
        QTest::newRow("unknown project") << "/api/v1/projects/nope/holes" << "good" << 404 << "";
        QTest::newRow("unknown path") << "/api/v1/projects/Bridge%207/other" << "good" << 404 << "";
    }
    void api()
    {
        QFETCH(QString, path);
        QFETCH(QString, token);
        QFETCH(int, status);
        QFETCH(QString, contains);
        httplib::Headers h;
        if (token == QLatin1String("good"))
            h.emplace("Authorization", ("Bearer " + m_token).toStdString());
        else if (token == QLatin1String("revoked"))
            h.emplace("Authorization", ("Bearer " + m_revoked).toStdString());
        else if (token == QLatin1String("session")) {
            QString session, csrf;
            QVERIFY(m_web.signIn(QStringLiteral("alice"), QString::fromUtf8(kPassword), &session, &csrf));
            h.emplace("Cookie", ("zpvw_session=" + session).toStdString());
        } else if (!token.isEmpty())
            h.emplace("Authorization", ("Bearer " + token).toStdString());
        const QString before = sql(QStringLiteral("SELECT COUNT(*) FROM audit WHERE action = 'api'"));
        const auto res = m_web.get(path, QString(), h);
        QVERIFY(res);
        QCOMPARE(res->status, status);
        QCOMPARE(QString::fromStdString(res->get_header_value("Content-Type")), QStringLiteral("application/json"));
        QVERIFY2(QString::fromStdString(res->body).contains(contains, Qt::CaseInsensitive), res->body.c_str());
        // Each use of a valid token is in the trail, with its name.
        const QString after = sql(QStringLiteral("SELECT COUNT(*) FROM audit WHERE action = 'api'"));
        QCOMPARE(after.toInt() - before.toInt(), token == QLatin1String("good") ? 1 : 0);
        if (token == QLatin1String("good"))
            QVERIFY(sql(QStringLiteral("SELECT detail FROM audit WHERE action = 'api' ORDER BY seq DESC LIMIT 1"))
                        .contains(QLatin1String("with token platform from 127.0.0.1")));
    }

    void openArchiveIsReadOnlyOnLoopback()
    {
        Web web = start(m_openDb, false);
        QVERIFY(web.child->ok());
        QCOMPARE(web.get(QStringLiteral("/"))->status, 200);
        QCOMPARE(web.get(QStringLiteral("/hole?project=Bridge%207&hole=A1"))->status, 200);
        const auto login = web.get(QStringLiteral("/login"));
        QCOMPARE(login->status, 303);
        QCOMPARE(login->get_header_value("Location"), std::string("/"));
        QCOMPARE(web.post(QStringLiteral("/logout"), QString(), {{"csrf", "x"}})->status, 403);
    }

    void otherAddressesNeedHttpsAndUsers_data()
    {
        QTest::addColumn<bool>("users");
        QTest::addColumn<bool>("tls");
        QTest::addColumn<QString>("reason");
        QTest::newRow("users, no TLS") << true << false << "without HTTPS";
        QTest::newRow("TLS, no users") << false << true << "no users";
        QTest::newRow("neither") << false << false << "without HTTPS";
    }
    void otherAddressesNeedHttpsAndUsers()
    {
        QFETCH(bool, users);
        QFETCH(bool, tls);
        QFETCH(QString, reason);
        QStringList args{"--db", users ? m_db : m_openDb, "serve", "--listen", "0.0.0.0:0"};
        if (tls)
            args << "--tls-cert" << m_tls.filePath(QStringLiteral("srv.pem")) << "--tls-key"
                 << m_tls.filePath(QStringLiteral("srv.key"));
        // The refusal comes before any socket; the bound keeps a server that
        // would listen after all from running on.
        const ToolRun r = runChild(testBinDir() + QStringLiteral("/zpvw-archive"), args,
                                   QProcessEnvironment::systemEnvironment(), 20000);
        QVERIFY(!r.timedOut);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(reason.toUtf8()), r.err.constData());
        QVERIFY(!r.out.contains("serving"));
    }

    void weakPasswordsRefused_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("reason");
        QTest::newRow("9 characters") << "k7#Lq2!vZ" << "at least 10";
        QTest::newRow("common") << "password123456" << "common";
        QTest::newRow("common, other case") << "Qwertyuiop123" << "common";
        QTest::newRow("common pinyin") << "woaini1314520" << "common";
        QTest::newRow("empty") << "" << "no password";
    }
    void weakPasswordsRefused()
    {
        QFETCH(QString, password);
        QFETCH(QString, reason);
        const QString file = m_engine.workDir() + QStringLiteral("/weak");
        QVERIFY(writeFileBytes(file, password.toUtf8() + '\n'));
        const ToolRun r = tool(m_db, {"user", "add", "weak", "--role", "viewer", "--password-file", file});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(reason.toUtf8()), r.err.constData());
        QVERIFY(!tool(m_db, {"user", "list"}).out.contains("weak"));
    }

    void passwordFromStandardInputAndEveryChangeAudited()
    {
        QProcess p;
        p.start(testBinDir() + QStringLiteral("/zpvw-archive"),
                {"--db", m_db, "user", "add", "stdin-admin", "--role", "admin"});
        QVERIFY(p.waitForStarted(10000));
        p.write("long enough from stdin\n");
        p.closeWriteChannel();
        if (!p.waitForFinished(60000))
            p.kill();
        QCOMPARE(p.exitCode(), 0);
        const ToolRun list = tool(m_db, {"user", "list"});
        QVERIFY(list.out.contains("stdin-admin\tadmin\tactive"));
        // A second user of that name is refused.
        const QString file = m_engine.workDir() + QStringLiteral("/again");
        QVERIFY(writeFileBytes(file, "another fine password\n"));
        const ToolRun again = tool(m_db, {"user", "add", "stdin-admin", "--role", "viewer", "--password-file", file});
        QCOMPARE(again.exitCode, 1);
        QVERIFY(again.err.contains("exists already"));
        QVERIFY(tool(m_db, {"user", "disable", "stdin-admin"}).exitCode == 0);
        QVERIFY(tool(m_db, {"user", "list"}).out.contains("stdin-admin\tadmin\tdisabled"));
        const QString trail = sql(QStringLiteral("SELECT detail FROM audit WHERE action IN ('user', 'token') ORDER BY seq"));
        for (const char *entry : {"user add alice as engineer", "user add stdin-admin as admin",
                                  "user disable stdin-admin", "user list", "token add platform", "token revoke old-script"})
            QVERIFY2(trail.contains(QLatin1String(entry)), entry);
    }

    // Passwords, session and API tokens are nowhere in the database.
    void secretsNotStoredInClear()
    {
        QString session, csrf;
        QVERIFY(m_web.signIn(QStringLiteral("alice"), QString::fromUtf8(kPassword), &session, &csrf));
        const QString hashes = sql(QStringLiteral("SELECT password_hash FROM users WHERE name = 'alice'"));
        QVERIFY2(hashes.startsWith(QLatin1String("$argon2id$")), qUtf8Printable(hashes));
        for (const char *table : {"users", "sessions", "api_tokens", "audit"}) {
            const QString dump = sql(QStringLiteral("SELECT * FROM %1").arg(QLatin1String(table)));
            QVERIFY(!dump.isEmpty());
            QVERIFY2(!dump.contains(QString::fromUtf8(kPassword)), table);
            QVERIFY2(!dump.contains(session), table);
            QVERIFY2(!dump.contains(m_token), table);
        }
        QVERIFY(sql(QStringLiteral("SELECT COUNT(*) FROM sessions WHERE token_sha256 = '%1'")
                        .arg(QString::fromLatin1(QCryptographicHash::hash(session.toUtf8(), QCryptographicHash::Sha256).toHex())))
                == QLatin1String("1"));
    }
};

QTEST_GUILESS_MAIN(TestWebLogin)
#include "tst_weblogin.moc"
