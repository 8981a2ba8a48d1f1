#include "appoptions.h"

#include "holeacceptance.h"

#include "appdir.h"
#include "ctrlinfo.h"
#include "gbktext.h"
#include "startup.h"
#include "winchaddress.h"

#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTextCodec>
#include <QTextStream>
#include <cstring>

namespace {
constexpr int kNameBytes = 79;
constexpr int kMaxDepthMm = 200000;

// Metres with at most `decimals` decimals to whole millimetres, exactly (no
// binary rounding on the way).
bool metresToMm(const QString &text, int decimals, int *mm)
{
    const QRegularExpression re(QStringLiteral("^(\\d{1,3})(?:\\.(\\d{1,%1}))?$").arg(decimals));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return false;
    QString fraction = m.captured(2);
    while (fraction.size() < 3)
        fraction.append(QLatin1Char('0'));
    *mm = m.captured(1).toInt() * 1000 + fraction.toInt();
    return true;
}

// The toolkit's own options (Qt takes them with one dash or two, and a value
// also after "="): left in the list for the toolkit. *step is how many
// entries the option takes.
bool isToolkitOption(const QString &arg, int *step)
{
    static const QStringList withValue{
        QStringLiteral("platform"), QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
        QStringLiteral("plugin"),   QStringLiteral("qwindowgeometry"),    QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"), QStringLiteral("session"),        QStringLiteral("display"),
        QStringLiteral("geometry"), QStringLiteral("title"),              QStringLiteral("icon"),
        QStringLiteral("style"),    QStringLiteral("stylesheet"),         QStringLiteral("name"),
        QStringLiteral("visual"),   QStringLiteral("ncols"),              QStringLiteral("cmap")};
    static const QStringList flags{QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
                                   QStringLiteral("dograb"), QStringLiteral("testability")};
    if (!arg.startsWith(QLatin1Char('-')))
        return false;
    QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    const int equals = name.indexOf(QLatin1Char('='));
    if (equals >= 0) {
        name.truncate(equals);
        *step = 1;
        return withValue.contains(name) || name == QLatin1String("qmljsdebugger");
    }
    *step = withValue.contains(name) ? 2 : 1;
    return withValue.contains(name) || flags.contains(name);
}

struct Parser {
    QStringList &args;
    QString *error;
    int i = 1;
    QString taken; // the option the last successful take() removed

    bool fail(const QString &why)
    {
        if (error)
            *error = why;
        return false;
    }

    // When args[i] is "--name" or "--name=value": takes it (and its value)
    // out of the list, stores the value and returns true.
    bool take(const char *name, bool wantsValue, QString *value, bool *bad)
    {
        const QString opt = QLatin1String("--") + QLatin1String(name);
        const QString a = args.at(i);
        if (a == opt || (wantsValue && a.startsWith(opt + QLatin1Char('='))))
            taken = opt;
        if (a == opt) {
            if (!wantsValue) {
                args.removeAt(i);
                return true;
            }
            if (i + 1 >= args.size()) {
                *bad = true;
                fail(QStringLiteral("%1 needs a value").arg(opt));
                return true;
            }
            *value = args.at(i + 1);
            args.erase(args.begin() + i, args.begin() + i + 2);
            return true;
        }
        if (wantsValue && a.startsWith(opt + QLatin1Char('='))) {
            *value = a.mid(opt.size() + 1);
            args.removeAt(i);
            return true;
        }
        return false;
    }
};
}

QStringList demoMoveDistances()
{
    return {QStringLiteral("10"),  QStringLiteral("50"),  QStringLiteral("100"), QStringLiteral("150"),
            QStringLiteral("200"), QStringLiteral("250"), QStringLiteral("500")};
}

int demoModeCode(const QString &word)
{
    if (word == QLatin1String("auto"))
        return SampleModes::AutoRaise;
    if (word == QLatin1String("manual"))
        return SampleModes::Manual;
    if (word == QLatin1String("4s"))
        return SampleModes::Manual4;
    if (word == QLatin1String("6s"))
        return SampleModes::Manual6;
    if (word == QLatin1String("8s"))
        return SampleModes::Manual8;
    return -1;
}

QString decodeCommandLineName(const QByteArray &raw)
{
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
    const QString text = utf8->toUnicode(raw.constData(), raw.size(), &state);
    if (state.invalidChars == 0 && state.remainingChars == 0)
        return text;
    return QString::fromLocal8Bit(raw);
}

void redecodeNameOptions(QStringList &args, const QList<QByteArray> &raw)
{
    static const QStringList names{QStringLiteral("--project"), QStringLiteral("--hole"), QStringLiteral("--basis")};
    int r = 0;
    bool valueNext = false;
    for (int i = 1; i < args.size(); ++i) {
        // The raw entry this argument was made of: the next one that decodes
        // to it (the toolkit only ever removes entries).
        int match = -1;
        for (int j = r + 1; j < raw.size(); ++j) {
            if (QString::fromLocal8Bit(raw.at(j)) == args.at(i)) {
                match = j;
                break;
            }
        }
        if (match < 0)
            return;
        r = match;
        const QString arg = args.at(i);
        if (valueNext) {
            args[i] = decodeCommandLineName(raw.at(r));
            valueNext = false;
            continue;
        }
        valueNext = names.contains(arg);
        for (const QString &name : names) {
            const QString prefix = name + QLatin1Char('=');
            if (arg.startsWith(prefix))
                args[i] = prefix + decodeCommandLineName(raw.at(r).mid(prefix.size()));
        }
    }
}

bool isUsableDemoName(const QString &name, QString *why)
{
    auto no = [why](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    if (name.trimmed().isEmpty())
        return no(QStringLiteral("the name is empty"));
    if (name != name.trimmed())
        return no(QStringLiteral("the name starts or ends with a blank"));
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return no(QStringLiteral("the name holds a folder separator"));
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return no(QStringLiteral("the name is a folder reference"));
    if (!GbkText::canEncode(name))
        return no(QStringLiteral("the name has characters outside GBK"));
    if (GbkText::encode(name).size() > kNameBytes)
        return no(QStringLiteral("the name is longer than %1 GBK bytes").arg(kNameBytes));
    return true;
}

bool parseAppOptions(QStringList &args, AppOptions *options, QString *error)
{
    AppOptions o;
    Parser p{args, error, 1, QString()};
    QStringList demoOnly;
    QString judgeText;
    while (p.i < args.size()) {
        QString v;
        bool bad = false;
        if (p.take("demo", false, &v, &bad)) {
            o.demo = true;
        } else if (p.take("project", true, &v, &bad) || p.take("hole", true, &v, &bad)) {
            if (bad)
                return false;
            QString why;
            if (!isUsableDemoName(v, &why))
                return p.fail(QStringLiteral("%1 \"%2\": %3").arg(p.taken, v, why));
            (p.taken == QLatin1String("--project") ? o.project : o.hole) = v;
            demoOnly << p.taken;
        } else if (p.take("depth", true, &v, &bad)) {
            if (bad)
                return false;
            if (!metresToMm(v, 2, &o.depthMm) || o.depthMm <= 0 || o.depthMm > kMaxDepthMm)
                return p.fail(QStringLiteral("--depth \"%1\": expected metres above 0 and up to 200, "
                                             "two decimals at most").arg(v));
            demoOnly << QStringLiteral("--depth");
        } else if (p.take("move", true, &v, &bad)) {
            if (bad)
                return false;
            if (!demoMoveDistances().contains(v))
                return p.fail(QStringLiteral("--move \"%1\": expected one of %2 (millimetres)")
                                  .arg(v, demoMoveDistances().join(QStringLiteral(", "))));
            o.moveMm = v.toInt();
            demoOnly << QStringLiteral("--move");
        } else if (p.take("mode", true, &v, &bad)) {
            if (bad)
                return false;
            o.modeCode = demoModeCode(v);
            if (o.modeCode < 0)
                return p.fail(QStringLiteral("--mode \"%1\": expected auto, manual, 4s, 6s or 8s").arg(v));
            demoOnly << QStringLiteral("--mode");
        } else if (p.take("basis", true, &v, &bad)) {
            if (bad)
                return false;
            if (v.trimmed().isEmpty())
                return p.fail(QStringLiteral("--basis needs a pile type as the set-up offers it, such as \"JGJ 94 端承桩\""));
            o.basis = v.trimmed();
            demoOnly << QStringLiteral("--basis");
        } else if (p.take("limit", true, &v, &bad)) {
            if (bad)
                return false;
            bool ok = false;
            o.limitMm = v.toInt(&ok);
            if (!ok || o.limitMm < 1 || o.limitMm > 100000)
                return p.fail(QStringLiteral("--limit \"%1\": expected whole millimetres from 1 to 100000").arg(v));
            demoOnly << QStringLiteral("--limit");
        } else if (p.take("position", true, &v, &bad)) {
            if (bad)
                return false;
            o.position = MeasuringPosition::fromKey(v);
            if (o.position == MeasuringPosition::Unnamed)
                return p.fail(QStringLiteral("--position \"%1\": expected centre, X, X', Y or Y'").arg(v));
            demoOnly << QStringLiteral("--position");
        } else if (p.take("judge", true, &v, &bad)) {
            if (bad)
                return false;
            if (!metresToMm(v, 3, &o.judgeDepthMm))
                return p.fail(QStringLiteral("--judge \"%1\": expected metres, three decimals at most").arg(v));
            o.judge = true;
            judgeText = v;
            demoOnly << QStringLiteral("--judge");
        } else if (p.take("shots", true, &v, &bad)) {
            if (bad)
                return false;
            if (v.isEmpty())
                return p.fail(QStringLiteral("--shots needs a folder"));
            o.shotsDir = v;
            demoOnly << QStringLiteral("--shots");
        } else if (p.take("max-seconds", true, &v, &bad)) {
            if (bad)
                return false;
            bool ok = false;
            o.maxSeconds = v.toInt(&ok);
            if (!ok || o.maxSeconds < 1 || o.maxSeconds > 86400)
                return p.fail(QStringLiteral("--max-seconds \"%1\": expected whole seconds from 1 to 86400").arg(v));
            demoOnly << QStringLiteral("--max-seconds");
        } else if (p.take("screenshot", true, &v, &bad)) {
            if (bad)
                return false;
            if (v.isEmpty())
                return p.fail(QStringLiteral("--screenshot needs a file name"));
            o.screenshot = v;
        } else if (p.take("window", true, &v, &bad)) {
            if (bad)
                return false;
            static const QRegularExpression size(QStringLiteral("^(\\d{3,4})x(\\d{3,4})$"));
            const QRegularExpressionMatch m = size.match(v);
            if (!m.hasMatch())
                return p.fail(QStringLiteral("--window \"%1\": expected WIDTHxHEIGHT, such as 1024x768").arg(v));
            o.window = QSize(m.captured(1).toInt(), m.captured(2).toInt());
        } else if (p.take("device", false, &v, &bad)) {
            o.device = true;
        } else if (p.take("sync", false, &v, &bad)) {
            o.sync = true;
        } else if (p.take("archive-url", true, &v, &bad) || p.take("archive-ca", true, &v, &bad)) {
            if (bad)
                return false;
            if (v.isEmpty())
                return p.fail(QStringLiteral("%1 needs a value").arg(p.taken));
            (p.taken == QLatin1String("--archive-url") ? o.archiveUrl : o.archiveCa) = v;
        } else {
            int step = 1;
            const QString a = args.at(p.i);
            if (!isToolkitOption(a, &step))
                return p.fail(a.startsWith(QLatin1Char('-')) ? QStringLiteral("unknown option %1 (--help lists them)").arg(a)
                                                             : QStringLiteral("unexpected argument \"%1\" (--help lists the options)").arg(a));
            p.i += step;
        }
    }
    if (!o.demo && !demoOnly.isEmpty())
        return p.fail(QStringLiteral("%1 needs --demo").arg(demoOnly.first()));
    if (o.device && (o.sync || o.demo))
        return p.fail(QStringLiteral("--device prints the device and exits: give it alone"));
    if (o.sync && o.demo)
        return p.fail(QStringLiteral("--sync and --demo: give one"));
    if (!o.basis.isEmpty() && o.limitMm > 0)
        return p.fail(QStringLiteral("--basis and --limit name two bases: give one"));
    if (o.judge && o.judgeDepthMm > o.depthMm)
        return p.fail(QStringLiteral("--judge \"%1\": deeper than the hole").arg(judgeText));
    *options = o;
    return true;
}

int handleAppOptions(QStringList &args, const QList<QByteArray> &raw, AppOptions *options, QTextStream &err)
{
    redecodeNameOptions(args, raw);
    const QString env = QProcessEnvironment::systemEnvironment().value(QStringLiteral("ZPVW_WINCH"));
    const WinchAddressChoice winch = chooseWinchAddress(args, env);
    if (!winch.ok) {
        err << "zpvw: " << winch.error << '\n';
        err.flush();
        return 2;
    }
    QString error;
    if (!parseAppOptions(args, options, &error)) {
        err << "zpvw: " << error << '\n';
        err.flush();
        return 2;
    }
    if (options->window == smallScreenWindow())
        QKRVCommomUtils::setSmallScreen(true);
    if (options->demo && !winch.overridden) {
        if (options->modeCode == SampleModes::AutoRaise) {
            err << "zpvw --demo: the automatic mode needs the winch controller's address: "
                   "--winch HOST:PORT or ZPVW_WINCH\n";
            err.flush();
            return 2;
        }
        clearConfiguredWinchAddress();
        return -1;
    }
    setConfiguredWinchAddress(winch.address);
    return -1;
}

bool wantsDemo(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--demo") == 0)
            return true;
    }
    return false;
}

bool wantsConsoleCommand(int argc, char **argv)
{
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    return isConsoleCommand(raw);
}

QSize smallScreenWindow() { return QSize(800, 600); }

QVector<AppOptionRow> appOptionTable()
{
    auto row = [](const char *option, const char *defaultValue, const char *meaning) {
        return AppOptionRow{QString::fromUtf8(option), QString::fromUtf8(defaultValue), QString::fromUtf8(meaning)};
    };
    return {
        row("--help", "", "print these options and exit"),
        row("--version", "", "print the version and exit"),
        row("--winch HOST:PORT", "ZPVW_WINCH, else the build's address",
            "the winch controller's address"),
        row("--window WxH", "the whole screen",
            "a window of that size; 800x600 gives the small-screen variant, as the folder 8.4 in the "
            "application directory does"),
        row("--screenshot FILE", "",
            "PNG of the whole screen: at the end of the demonstration, or without --demo once the main "
            "screen has painted, then quit"),
        row("--device", "", "print the device id and the public key and exit"),
        row("--sync", "", "send the tests waiting for the archive and exit: 0 when none is left, else 1"),
        row("--archive-url URL", "ZPVW_ARCHIVE_URL, else archive-upload.ini",
            "the archive's upload address, https://HOST:PORT"),
        row("--archive-ca FILE", "ZPVW_ARCHIVE_CA, else archive-upload.ini",
            "the CA certificate the archive's certificate must chain to"),
        row("--demo", "", "run one test unattended on the real main screen and print the hole file's path"),
        row("--project NAME", "Demo", "project name and folder"),
        row("--hole NAME", "first free DEMO1, DEMO2, …",
            "hole number and file name; a hole tested before gets its next test (NAME-2, …), no file is "
            "ever overwritten"),
        row("--depth METRES", "2", "hole depth, up to 200, two decimals"),
        row("--move MM", "50", "move distance: 10, 50, 100, 150, 200, 250 or 500"),
        row("--mode auto|manual|4s|6s|8s", "auto",
            "sampling mode; auto needs the winch address (--winch or ZPVW_WINCH), the manual modes run "
            "without a winch when none is named"),
        row("--basis TEXT", "", "acceptance basis as the set-up's grid shows it, e.g. \"JGJ 94 端承桩\""),
        row("--limit MM", "", "acceptance basis: a design value, 1 to 100000 mm (not with --basis)"),
        row("--position P", "", "measuring position: centre, X, X', Y or Y'"),
        row("--judge METRES", "",
            "after saving: open the file for review, mark the sample nearest that depth, press 判定"),
        row("--shots DIR", "", "PNG of every dialog as the demonstration answers it"),
        row("--max-seconds N", "300", "time limit of the demonstration, its wait for the upload included"),
        row("-V NAME", "", "write the version to NAME.KRV in the application directory and exit"),
    };
}

QString appHelpText()
{
    QString text = QStringLiteral("usage: zpvw [OPTION]...\n"
                                  "The operator program of the pile-hole sediment tester. The options from --project\n"
                                  "to --max-seconds belong to --demo; the toolkit's own options (-platform NAME, ...)\n"
                                  "are taken too.\n\n");
    for (const AppOptionRow &r : appOptionTable()) {
        const QString meaning = r.defaultValue.isEmpty()
                                    ? r.meaning
                                    : QStringLiteral("%1 (default: %2)").arg(r.meaning, r.defaultValue);
        text += QStringLiteral("  %1  %2\n").arg(r.option.leftJustified(28), meaning);
    }
    return text;
}

int handleEarlyOptions(const QList<QByteArray> &raw, QTextStream &out, QTextStream &err)
{
    QStringList rawArgs;
    for (const QByteArray &a : raw)
        rawArgs << QString::fromLocal8Bit(a);
    QStringList args = withoutQwsOption(rawArgs);
    if (isVersionReportMode(args))
        return -1;
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--help") || args.at(i) == QLatin1String("-h")) {
            out << appHelpText();
            out.flush();
            return 0;
        }
        if (args.at(i) == QLatin1String("--version")) {
            out << "zpvw " << versionText() << '\n';
            out.flush();
            return 0;
        }
    }
    redecodeNameOptions(args, raw);
    const QString env = QProcessEnvironment::systemEnvironment().value(QStringLiteral("ZPVW_WINCH"));
    const WinchAddressChoice winch = chooseWinchAddress(args, env);
    AppOptions options;
    QString error = winch.error;
    if (!winch.ok || !parseAppOptions(args, &options, &error)) {
        err << "zpvw: " << error << '\n';
        err.flush();
        return 2;
    }
    return -1;
}
