// zpvw-archive: the office archive of hole files.
//
//   zpvw-archive [--db FILE|postgresql://user@host:port/db] COMMAND ...
//     import PATH...                 USB export folders, data folders, files
//     projects                       every project with its counts
//     holes PROJECT                  latest test of every hole
//     history PROJECT HOLE           every test and version of a hole
//     export PROJECT HOLE [--version N] [--test "DATE TIME"|NAME] DIR
//     summary PROJECT --csv FILE|--pdf FILE
//     verify [--head HASH]           re-hash and re-read everything, walk the
//                                    audit trail (against a head kept elsewhere)
//     log PROJECT [HOLE]             the audit trail of a project or hole
//     find TEXT                      project, hole, tester and unit names
//     serve [--listen HOST:PORT] [--lang zh|en] [--tls-cert FILE --tls-key FILE]
//           [--host NAME]... [--rate-limit N]
//                                    web pages and the upload API
//                                    (default 127.0.0.1:8080, Chinese, HTTP);
//                                    pages answer only under loopback names,
//                                    the listening address and each --host
//                                    NAME; N requests a minute per address
//           [--session-idle SECONDS] [--session-max SECONDS]
//                                    sessions end after 30 min idle, 12 h in all
//     device add NAME PUBKEY | device list | device revoke NAME
//                                    the instruments tests are taken from
//     user add NAME --role viewer|engineer|admin [--password-file FILE]
//     user list | user disable NAME | user password NAME [--password-file FILE]
//                                    who may sign in to the web view (the
//                                    password: first line of stdin or FILE)
//     token add NAME | token list | token revoke NAME
//                                    bearer tokens of the read-only JSON API
//     rejudge PROJECT HOLE --thickness CM [--quality 0|1] [--limit MM|--basis "CODE|PILE TYPE"]
//             [--test NAME] --reason TEXT --by NAME
//                                    judge the latest test again in the office
//
// serve listens on loopback only while the archive has no users; any other
// address needs --tls-cert/--tls-key and at least one user.
//
// Without --db the archive is a SQLite file in the user's data folder.
// Exit status: 0 done, 1 failure (reason on stderr), 2 usage or (import)
// some files refused, 3 verify found faults.

#include "archiveaddress.h"
#include "archivecommands.h"
#include "archivedb.h"
#include "archiveserver.h"
#include "archiveusers.h"
#include "filenames.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QGuiApplication>
#include <QTranslator>
#include <cstdio>
#include <memory>

using ArchiveCommands::takeOption;

namespace {
int usage()
{
    fputs("usage: zpvw-archive [--db FILE|postgresql://user@host:port/db] COMMAND\n"
          "  import PATH...\n"
          "  projects\n"
          "  holes PROJECT\n"
          "  history PROJECT HOLE\n"
          "  export PROJECT HOLE [--version N] [--test \"yyyy-MM-dd hh:mm:ss\"|NAME] DIR\n"
          "  summary PROJECT --csv FILE|--pdf FILE\n"
          "  verify [--head HASH]\n"
          "  log PROJECT [HOLE]\n"
          "  find TEXT\n"
          "  serve [--listen HOST:PORT] [--lang zh|en] [--tls-cert FILE --tls-key FILE]\n"
          "        [--session-idle SECONDS] [--session-max SECONDS]\n"
          "        [--host NAME]... [--rate-limit REQUESTS_PER_MINUTE]\n"
          "  device add NAME PUBKEY | device list | device revoke NAME\n"
          "  user add NAME --role viewer|engineer|admin [--password-file FILE]\n"
          "  user list | user disable NAME | user password NAME [--password-file FILE]\n"
          "  token add NAME | token list | token revoke NAME\n"
          "  rejudge PROJECT HOLE --thickness CM [--quality 0|1] [--limit MM|--basis \"CODE|PILE TYPE\"]\n"
          "          [--test NAME] --reason TEXT --by NAME\n",
          stderr);
    return 2;
}

void quietNotes(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        fprintf(stderr, "zpvw-archive: %s\n", qUtf8Printable(message));
}
} // namespace

int main(int argc, char **argv)
{
    // Only the PDF summary and the web view draw (fonts need a GUI
    // application); they draw off screen.
    bool drawing = false;
    for (int i = 1; i < argc; ++i)
        drawing = drawing || QByteArray(argv[i]) == "summary" || QByteArray(argv[i]) == "serve";
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (drawing)
        qInstallMessageHandler(quietNotes);
    // Paths typed in UTF-8 find the instrument's GBK-named folders.
    FileNames::installOfficeFileNames();
    std::unique_ptr<QCoreApplication> app(drawing ? new QGuiApplication(argc, argv) : new QCoreApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("zpvw-archive"));

    QStringList args = app->arguments().mid(1);
    QString dbText;
    if (!takeOption(args, QStringLiteral("--db"), &dbText))
        return usage();
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();

    ArchiveAddress address;
    QString error;
    if (!parseArchiveAddress(dbText, &address, &error))
        return ArchiveCommands::fail(error);
    CArchiveDb db;
    if (!db.open(address, &error))
        return ArchiveCommands::fail(error);

    if (command == QLatin1String("import") && !args.isEmpty()) {
        for (QString &path : args)
            path = FileNames::locate(path);
        return ArchiveCommands::importPaths(db, args);
    }
    if (command == QLatin1String("projects") && args.isEmpty())
        return ArchiveCommands::projects(db);
    if (command == QLatin1String("holes") && args.size() == 1)
        return ArchiveCommands::holes(db, args.at(0));
    if (command == QLatin1String("history") && args.size() == 2)
        return ArchiveCommands::history(db, args.at(0), args.at(1));
    if (command == QLatin1String("export")) {
        QString version, test;
        if (!takeOption(args, QStringLiteral("--version"), &version) || !takeOption(args, QStringLiteral("--test"), &test)
            || args.size() != 3)
            return usage();
        bool ok = true;
        const int n = version.isEmpty() ? 0 : version.toInt(&ok);
        if (!ok || n < 0)
            return usage();
        return ArchiveCommands::exportFiles(db, args.at(0), args.at(1), n, test, FileNames::locate(args.at(2)));
    }
    if (command == QLatin1String("summary")) {
        QString csv, pdf;
        if (!takeOption(args, QStringLiteral("--csv"), &csv) || !takeOption(args, QStringLiteral("--pdf"), &pdf)
            || args.size() != 1 || (csv.isEmpty() && pdf.isEmpty()))
            return usage();
        return ArchiveCommands::summary(db, args.at(0), csv.isEmpty() ? csv : FileNames::locate(csv),
                                        pdf.isEmpty() ? pdf : FileNames::locate(pdf));
    }
    if (command == QLatin1String("verify")) {
        QString head;
        if (!takeOption(args, QStringLiteral("--head"), &head) || !args.isEmpty())
            return usage();
        head = head.trimmed().toLower();
        static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{64}$"));
        if (!head.isEmpty() && !hex.match(head).hasMatch())
            return ArchiveCommands::fail(QStringLiteral("--head: expected the 64 hex digits verify or a summary printed"));
        return ArchiveCommands::verify(db, head);
    }
    if (command == QLatin1String("log") && (args.size() == 1 || args.size() == 2))
        return ArchiveCommands::log(db, args.at(0), args.value(1));
    if (command == QLatin1String("serve")) {
        QString listen = QStringLiteral("127.0.0.1:8080"), lang = QStringLiteral("zh"), rate;
        TlsFiles tls;
        QString idle, absolute;
        QStringList hosts;
        for (bool present = true; present;) {
            QString host;
            if (!takeOption(args, QStringLiteral("--host"), &host, &present))
                return usage();
            if (present)
                hosts << host;
        }
        bool rateOk = true;
        if (!takeOption(args, QStringLiteral("--rate-limit"), &rate)
            || (!rate.isEmpty() && (rate.toInt(&rateOk) < 1 || !rateOk)))
            return usage();
        if (!takeOption(args, QStringLiteral("--listen"), &listen) || !takeOption(args, QStringLiteral("--lang"), &lang)
            || !takeOption(args, QStringLiteral("--session-idle"), &idle)
            || !takeOption(args, QStringLiteral("--session-max"), &absolute)
            || !takeOption(args, QStringLiteral("--tls-cert"), &tls.certificate)
            || !takeOption(args, QStringLiteral("--tls-key"), &tls.key) || tls.certificate.isEmpty() != tls.key.isEmpty()
            || !args.isEmpty() || (lang != QLatin1String("zh") && lang != QLatin1String("en")))
            return usage();
        SessionLimits limits;
        bool okIdle = true, okMax = true;
        if (!idle.isEmpty())
            limits.idleSeconds = idle.toLongLong(&okIdle);
        if (!absolute.isEmpty())
            limits.absoluteSeconds = absolute.toLongLong(&okMax);
        if (!okIdle || !okMax || limits.idleSeconds < 1 || limits.absoluteSeconds < 1)
            return usage();
        ListenAddress where;
        if (!parseListenAddress(listen, &where, &error))
            return ArchiveCommands::fail(error);
        // Beyond this machine only over HTTPS, and only with logins.
        if (!isLoopbackHost(where.host)) {
            bool users = false;
            if (!tls.enabled())
                return ArchiveCommands::fail(
                    QStringLiteral("will not listen on %1 without HTTPS: give --tls-cert FILE --tls-key FILE "
                                   "(plain HTTP is served on loopback only)")
                        .arg(where.host));
            if (!archiveHasUsers(db, &users, &error))
                return ArchiveCommands::fail(error);
            if (!users)
                return ArchiveCommands::fail(
                    QStringLiteral("will not listen on %1: the archive has no users, so anyone could read it; "
                                   "add one first (zpvw-archive user add NAME --role admin)")
                        .arg(where.host));
        }
        QTranslator english;
        if (lang == QLatin1String("en") && english.load(QStringLiteral(":/Language/English.qm")))
            QCoreApplication::installTranslator(&english);
        db.close(); // every server thread opens its own connection
        CArchiveWebServer server(address, tls, limits);
        server.setHostNames(hosts);
        if (!rate.isEmpty())
            server.setRequestsPerMinute(rate.toInt());
        if (!server.bind(where, &error))
            return ArchiveCommands::fail(error);
        printf("serving %s on %s://%s:%d/\n", qUtf8Printable(address.display()), tls.enabled() ? "https" : "http",
               qUtf8Printable(where.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + where.host + QLatin1Char(']') : where.host),
               server.boundPort());
        fflush(stdout);
        return server.run() ? 0 : 1;
    }
    if (command == QLatin1String("device"))
        return ArchiveCommands::device(db, args);
    if (command == QLatin1String("user"))
        return ArchiveCommands::user(db, args);
    if (command == QLatin1String("token"))
        return ArchiveCommands::token(db, args);
    if (command == QLatin1String("rejudge"))
        return ArchiveCommands::rejudge(db, args);
    if (command == QLatin1String("find") && args.size() == 1)
        return ArchiveCommands::find(db, args.at(0));
    return usage();
}
