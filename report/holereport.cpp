#include "holereport.h"

#include "atomicfile.h"
#include "ctrlinfo.h"
#include "holefile.h"
#include "reportpages.h"
#include "sha256pipeline.h"

#include <QBuffer>
#include <QDebug>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace {
bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}
} // namespace

QString holeReportPath(const QString &holeFilePath)
{
    const QString hole = withHoleExtension(holeFilePath);
    const QString ext = hole.right(3);
    const QString reportExt = ext == fileExt.toLower() ? QStringLiteral("pdf") : QStringLiteral("PDF");
    return hole.left(hole.size() - 3) + reportExt;
}

namespace {
// The PDF's bytes in memory, each piece also given to a digest as it is
// written. The PDF writer writes front to back; a write anywhere else makes
// the digest worthless, and it is abandoned.
class DigestedBuffer : public QBuffer
{
public:
    DigestedBuffer(QByteArray *bytes, Sha256Pipeline *digest)
        : QBuffer(bytes)
        , m_digest(digest)
    {
    }

protected:
    qint64 writeData(const char *data, qint64 size) override
    {
        if (m_digest) {
            if (pos() == buffer().size())
                m_digest->add(data, size);
            else
                m_digest->abandon();
        }
        return QBuffer::writeData(data, size);
    }

private:
    Sha256Pipeline *m_digest;
};
} // namespace

QByteArray renderHoleReportPdf(const HoleReportData &data, QString *error, Sha256Pipeline *digest)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        fail(error, QStringLiteral("a report needs a GUI application (fonts)"));
        return QByteArray();
    }
    QByteArray bytes;
    DigestedBuffer buffer(&bytes, digest);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setTitle(QCoreApplication::translate("CHoleReport", "桩孔沉渣检测报告") + QStringLiteral(" ")
                        + data.info.holeNo.get());
        writer.setCreator(QStringLiteral("zpvw"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            fail(error, QStringLiteral("cannot start the PDF"));
            return QByteArray();
        }
        const int pages = holeReportPageCount(data.samples.size());
        for (int page = 0; page < pages; ++page) {
            if (page > 0 && !writer.newPage()) {
                fail(error, QStringLiteral("cannot add page %1").arg(page + 1));
                return QByteArray();
            }
            paintHoleReportPage(painter, data, page);
        }
        painter.end();
    }
    if (digest)
        digest->close(); // the PDF is whole: its last bytes are hashed while it is written
    if (bytes.isEmpty())
        fail(error, QStringLiteral("the PDF came out empty"));
    return bytes;
}

namespace {
bool renderAndWrite(const QString &holeFilePath, const QString &pdfPath, QString *error, const QString &deviceId,
                    Sha256Pipeline *digest)
{
    HoleReportData data;
    if (!readHoleReportData(holeFilePath, &data, error))
        return false;
    data.deviceId = deviceId;
    const QByteArray pdf = renderHoleReportPdf(data, error, digest);
    if (pdf.isEmpty())
        return false;
    CAtomicFileWriter w(pdfPath);
    if (!w.open() || !w.write(pdf) || !w.commit())
        return fail(error, QStringLiteral("%1: %2").arg(pdfPath, w.errorString()));
    return true;
}
} // namespace

bool writeHoleReportTo(const QString &holeFilePath, const QString &pdfPath, QString *error, const QString &deviceId,
                       Sha256Pipeline *digest)
{
    const bool written = renderAndWrite(holeFilePath, pdfPath, error, deviceId, digest);
    if (!written && digest)
        digest->abandon(); // its bytes are not the file's
    return written;
}

bool writeHoleReport(const QString &holeFilePath, QString *error, const QString &deviceId, Sha256Pipeline *digest)
{
    const QString pdfPath = holeReportPath(holeFilePath);
    if (writeHoleReportTo(holeFilePath, pdfPath, error, deviceId, digest))
        return true;
    if (QFile::exists(pdfPath) && !QFile::remove(pdfPath) && error)
        *error += QStringLiteral("; the old report %1 could not be removed").arg(pdfPath);
    return false;
}

void updateHoleReport(const QString &holeFilePath, const QString &deviceId, Sha256Pipeline *digest)
{
    QString error;
    if (!writeHoleReport(holeFilePath, &error, deviceId, digest))
        qWarning() << "hole report not written:" << error;
}
