// zpvw-hole: the office's view of hole data files.
//
//   zpvw-hole dump FILE              the whole record as one JSON object
//   zpvw-hole csv FILE               depth_m,resistivity,raw_resistivity
//   zpvw-hole write JSON_FILE HOLE_FILE   a hole file from such an object
//   zpvw-hole las FILE               the log in LAS 2.0
//   zpvw-hole report FILE [PDF]      the PDF report (default: beside FILE,
//                                    as the instrument writes it)
//   zpvw-hole suggest FILE           the suggested sediment interface the
//                                    screen shows, as one JSON line, or null
//   zpvw-hole project DIR [--csv FILE] [--pdf FILE]
//                                    the project record of the hole files in
//                                    DIR (CSV on stdout without --csv/--pdf)
//   zpvw-hole verify FILE [--key PUBKEY]
//                                    the file and its report against the
//                                    signed manifest beside them (status 0
//                                    only when signed and intact)
//
// Files are read and written by the instrument's own code. On failure one
// line on stderr names the file and the reason, the exit status is 1 and
// nothing is written. A path is taken as typed, or, where the typed bytes do
// not exist, with the instrument's GBK-named folder or file in their place
// (FileNames::locate); paths are printed readably (FileNames::shown).

#include "filenames.h"
#include "holefile.h"
#include "holejson.h"
#include "holereport.h"
#include "holeverify.h"
#include "lasexport.h"
#include "projectsummary.h"
#include "sedimentsuggest.h"
#include "summarywriters.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <cstdio>
#include <functional>
#include <memory>

namespace {
int failWith(const QString &file, const QString &reason)
{
    fprintf(stderr, "zpvw-hole: %s: %s\n", qUtf8Printable(FileNames::shown(file)), qUtf8Printable(reason));
    return 1;
}

int usage()
{
    fputs("usage: zpvw-hole dump FILE\n"
          "       zpvw-hole csv FILE\n"
          "       zpvw-hole write JSON_FILE HOLE_FILE\n"
          "       zpvw-hole las FILE\n"
          "       zpvw-hole report FILE [PDF]\n"
          "       zpvw-hole suggest FILE\n"
          "       zpvw-hole project DIR [--csv FILE] [--pdf FILE]\n"
          "       zpvw-hole verify FILE [--key PUBKEY]\n",
          stderr);
    return 2;
}

void out(const QByteArray &bytes)
{
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    fflush(stdout);
}

// Reads a hole file; false (after the message) when the loader refuses it.
bool read(const QString &file, CtrlInfo &info, QVector<Sample> &samples)
{
    const HoleLoadResult r = readHoleFile(file, info);
    if (!r.ok) {
        failWith(r.path, r.errorText());
        return false;
    }
    if (r.samplesTruncated)
        fprintf(stderr, "zpvw-hole: %s: the file announces %lld samples and holds %d\n", qUtf8Printable(FileNames::shown(r.path)),
                r.announcedSamples, r.samples.size());
    samples = r.samples;
    return true;
}

// Reads a hole file and prints what text makes of it; 1 when it cannot be read.
int printHole(const QString &file, const std::function<QByteArray(const CtrlInfo &, const QVector<Sample> &)> &text)
{
    CtrlInfo info;
    QVector<Sample> samples;
    if (!read(file, info, samples))
        return 1;
    out(text(info, samples));
    return 0;
}

int dump(const QString &file)
{
    return printHole(file, [](const CtrlInfo &info, const QVector<Sample> &samples) {
        return QJsonDocument(HoleJson::toJson(info, samples)).toJson(QJsonDocument::Compact) + "\n";
    });
}

int csv(const QString &file)
{
    return printHole(file, [](const CtrlInfo &, const QVector<Sample> &samples) { return HoleJson::toCsv(samples); });
}

int las(const QString &file)
{
    return printHole(file, [&file](const CtrlInfo &info, const QVector<Sample> &samples) {
        return holeToLas(info, samples, QFileInfo(withHoleExtension(file)).fileName());
    });
}

int report(const QString &holeFile, const QString &pdfFile)
{
    const QString target = pdfFile.isEmpty() ? holeReportPath(holeFile) : pdfFile;
    QString reason;
    if (!writeHoleReportTo(holeFile, target, &reason))
        return failWith(withHoleExtension(holeFile), reason);
    return 0;
}

int suggest(const QString &file)
{
    return printHole(file, [](const CtrlInfo &info, const QVector<Sample> &samples) {
        const SedimentSuggestion s = suggestSedimentInterface(samples, info.maxDepth, info.moveDistance);
        if (!s.shown())
            return QByteArray("null\n");
        // Written by hand so the numbers keep their fixed decimals.
        return QStringLiteral("{\"depth_m\":%1,\"thickness_mm\":%2,\"confidence\":%3}\n")
            .arg(QString::number(s.depth / 1000.0, 'f', 3), QString::number(qint64(s.thicknessCm) * 10),
                 QString::number(s.confidence, 'f', 2))
            .toUtf8();
    });
}

int project(const QStringList &args)
{
    const QString dir = args.value(0);
    QString csvFile, pdfFile;
    for (int i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return usage();
        if (args.at(i) == QLatin1String("--csv"))
            csvFile = args.at(i + 1);
        else if (args.at(i) == QLatin1String("--pdf"))
            pdfFile = args.at(i + 1);
        else
            return usage();
    }
    if (!QFileInfo(dir).isDir())
        return failWith(dir, QStringLiteral("not a folder"));
    const ProjectSummary s = summarizeProjectFolder(dir);
    for (const HoleTestRecord &t : s.unreadable)
        fprintf(stderr, "zpvw-hole: %s: %s (left out)\n", qUtf8Printable(FileNames::shown(t.fileName)), qUtf8Printable(t.error));
    const QByteArray csvBytes = projectSummaryCsv(s);
    if (csvFile.isEmpty() && pdfFile.isEmpty()) {
        out(csvBytes);
        return 0;
    }
    if (!csvFile.isEmpty()) {
        QFile f(csvFile);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(csvBytes) != csvBytes.size())
            return failWith(csvFile, f.errorString());
    }
    QString reason;
    if (!pdfFile.isEmpty() && !writeProjectSummaryPdf(s, pdfFile, &reason))
        return failWith(pdfFile, reason);
    return 0;
}

void quietNotes(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        fprintf(stderr, "zpvw-hole: %s\n", qUtf8Printable(message));
}

int write(const QString &jsonFile, const QString &holeFile)
{
    QFile f(jsonFile);
    if (!f.open(QIODevice::ReadOnly))
        return failWith(jsonFile, QStringLiteral("cannot open file: %1").arg(f.errorString()));
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &err);
    if (err.error != QJsonParseError::NoError)
        return failWith(jsonFile, QStringLiteral("bad JSON: %1 at offset %2").arg(err.errorString(), QString::number(err.offset)));
    if (!doc.isObject())
        return failWith(jsonFile, QStringLiteral("bad JSON: not an object"));
    CtrlInfo info;
    QVector<Sample> samples;
    QString reason;
    if (!HoleJson::fromJson(doc.object(), info, samples, &reason))
        return failWith(jsonFile, reason);
    HoleSaveOptions o;
    o.sync = false;
    if (!saveHoleFile(holeFile, info, samples, o, &reason))
        return failWith(withHoleExtension(holeFile), reason);
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    // Only the report draws text (fonts need a GUI application); it draws
    // off screen, so no display is needed.
    const bool drawing = argc >= 2 && (QByteArray(argv[1]) == "report" || QByteArray(argv[1]) == "project");
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The GUI application's notes about its environment (no runtime folder
    // and the like) must not mix with the tool's own lines on stderr.
    if (drawing)
        qInstallMessageHandler(quietNotes);
    FileNames::installOfficeFileNames();
    std::unique_ptr<QCoreApplication> app;
    if (drawing)
        app.reset(new QGuiApplication(argc, argv));
    else
        app.reset(new QCoreApplication(argc, argv));
    QStringList a = app->arguments();
    // Every argument after the command but the options names a file or a
    // folder (a key given in base64 is no file and stays as it is).
    for (int i = 2; i < a.size(); ++i) {
        if (!a.at(i).startsWith(QLatin1String("--")))
            a[i] = FileNames::locate(a.at(i));
    }
    if (a.size() == 3 && a.at(1) == QLatin1String("dump"))
        return dump(a.at(2));
    if (a.size() == 3 && a.at(1) == QLatin1String("csv"))
        return csv(a.at(2));
    if (a.size() == 4 && a.at(1) == QLatin1String("write"))
        return write(a.at(2), a.at(3));
    if (a.size() == 3 && a.at(1) == QLatin1String("las"))
        return las(a.at(2));
    if ((a.size() == 3 || a.size() == 4) && a.at(1) == QLatin1String("report"))
        return report(a.at(2), a.size() == 4 ? a.at(3) : QString());
    if (a.size() == 3 && a.at(1) == QLatin1String("suggest"))
        return suggest(a.at(2));
    if (a.size() >= 3 && a.at(1) == QLatin1String("project"))
        return project(a.mid(2));
    if ((a.size() == 3 || (a.size() == 5 && a.at(3) == QLatin1String("--key"))) && a.at(1) == QLatin1String("verify"))
        return verifySealedFile(a.at(2), a.value(4));
    return usage();
}
