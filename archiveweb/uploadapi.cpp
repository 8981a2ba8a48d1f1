#include "uploadapi.h"

#include "archivedb.h"
#include "archiveimport.h"
#include "audittrail.h"
#include "manifestcheck.h"
#include "receivedwriter.h"
#include "threadarchive.h"

#include "holefacts.h"
#include "holefile.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <httplib.h>

#include <memory>

namespace {
// Another program's write transaction (a folder import) may hold the
// archive for seconds; a sender waits for its answer at most this long
// (its transfer timeout is 30 s).
constexpr int kLockWaitMs = 20000;
constexpr int kStoreWaitMs = 25000;

void answer(httplib::Response &res, int status, QJsonObject body)
{
    if (status >= 400 && !body.contains(QStringLiteral("status")))
        body.insert(QStringLiteral("status"), QStringLiteral("refused"));
    const QByteArray json = QJsonDocument(body).toJson(QJsonDocument::Compact);
    res.status = status;
    res.set_header("Cache-Control", "no-store");
    res.set_content(json.constData(), size_t(json.size()), "application/json");
}

void refuse(httplib::Response &res, int status, const QString &why)
{
    answer(res, status, {{QStringLiteral("error"), why}});
}

// A part's file name: a plain name inside one folder, nothing hidden.
bool plainName(const QString &name)
{
    return !name.isEmpty() && name.size() <= 128 && !name.contains(QLatin1Char('/'))
           && !name.contains(QLatin1Char('\\')) && !name.startsWith(QLatin1Char('.'));
}

// The refusal in the trail, in a transaction of its own.
void auditRefusal(CArchiveDb &db, const ManifestVerdict &v, const QString &holeName, const QString &holeSha)
{
    const TestStatement &s = v.manifest.statement;
    QString error;
    CAuditTrail trail(db);
    if (!db.begin(&error)
        || !trail.append(QStringLiteral("refused"), s.project, s.hole,
                         QStringLiteral("upload of %1 from device %2: %3").arg(holeName, s.device, v.reason), holeSha,
                         &error)
        || !db.commit(&error))
        db.rollback();
}

bool alreadyHeld(CArchiveDb &db, const QString &sha, bool *held, QString *error)
{
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("SELECT 1 FROM versions WHERE sha256 = ?"), {sha}, error))
        return false;
    *held = q.next();
    return true;
}

void receiveTest(CArchiveDb &db, CReceivedWriter &writer, const httplib::Request &req, httplib::Response &res)
{
    if (!req.is_multipart_form_data() || !req.has_file("manifest"))
        return refuse(res, 400, QStringLiteral("expected multipart/form-data with a \"manifest\" and its files"));
    const httplib::MultipartFormData manifestPart = req.get_file_value("manifest");
    const QByteArray manifestBytes(manifestPart.content.data(), int(manifestPart.content.size()));
    QMap<QString, QByteArray> files;
    QString holeName;
    const auto parts = req.files.equal_range("file");
    for (auto it = parts.first; it != parts.second; ++it) {
        const QString name = QString::fromStdString(it->second.filename);
        if (!plainName(name) || files.contains(name))
            return refuse(res, 400, QStringLiteral("file name \"%1\" refused").arg(name));
        files.insert(name, QByteArray(it->second.content.data(), int(it->second.content.size())));
        if (isHoleFileName(name)) {
            if (!holeName.isEmpty())
                return refuse(res, 400, QStringLiteral("one hole file per upload"));
            holeName = name;
        }
    }
    if (holeName.isEmpty())
        return refuse(res, 400, QStringLiteral("no hole file among the files"));
    const QString holeSha = sha256Hex(files.value(holeName));
    const ManifestVerdict v = judgeManifest(db, manifestBytes, holeName, files);
    if (v.kind == ManifestVerdict::ArchiveFault)
        return refuse(res, 503, v.reason);
    if (!v.ok()) {
        auditRefusal(db, v, holeName, holeSha);
        const bool device = v.kind == ManifestVerdict::UnknownDevice || v.kind == ManifestVerdict::RevokedDevice;
        return refuse(res, device ? 403 : 422, v.reason);
    }
    const TestStatement &s = v.manifest.statement;
    QJsonObject body{{QStringLiteral("sha256"), holeSha},
                     {QStringLiteral("manifest_sha256"), v.manifestSha256},
                     {QStringLiteral("device"), v.deviceName},
                     {QStringLiteral("sequence"), double(s.sequence)},
                     {QStringLiteral("received_at"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)}};
    QString error;
    bool held = false;
    if (!alreadyHeld(db, holeSha, &held, &error))
        return refuse(res, 503, error);
    if (held) {
        body.insert(QStringLiteral("status"), QStringLiteral("known"));
        return answer(res, 200, body);
    }
    // Imported as the instrument's project folder holding the sealed files:
    // the same rules make tests and versions as for a USB export.
    ReceivedHole received;
    received.projectFolder = plainName(s.projectFolder) ? s.projectFolder : QStringLiteral("upload");
    received.fileName = holeName;
    const QString stem = holeName.left(holeName.lastIndexOf(QLatin1Char('.')));
    files.insert(stem + (holeName.endsWith(fileExt) ? QStringLiteral(".SIG") : QStringLiteral(".sig")), manifestBytes);
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        if (it.key() == holeName)
            received.bytes = it.value();
        else
            received.companions.append({it.key(), it.value()});
    }
    const CReceivedWriter::Result stored = writer.store(received, v, kStoreWaitMs);
    if (!stored.ok)
        return refuse(res, 503, stored.error);
    const ImportSummary &summary = stored.summary;
    if (summary.refused > 0)
        return refuse(res, 422, summary.refusals.join(QStringLiteral("; ")));
    body.insert(QStringLiteral("status"), summary.skipped > 0 ? QStringLiteral("known") : QStringLiteral("stored"));
    answer(res, summary.skipped > 0 ? 200 : 201, body);
}
} // namespace

void addUploadRoutes(httplib::Server &server, const ArchiveAddress &archive)
{
    // Lives as long as the route, that is the server.
    auto writer = std::make_shared<CReceivedWriter>(archive, kLockWaitMs);
    server.Post("/api/v1/tests", [archive, writer](const httplib::Request &req, httplib::Response &res) {
        QString error;
        CArchiveDb *db = threadArchive(archive, &error);
        if (!db)
            return refuse(res, 503, error);
        receiveTest(*db, *writer, req, res);
    });
}
