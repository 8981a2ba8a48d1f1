#include "holefile.h"

#include "acceptancesection.h"
#include "atomicfile.h"
#include "gbktext.h"
#include "platform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <QtEndian>
#include <limits>

namespace {
const char kMagicComplete[] = "KRV";
const char kMagicWriting[] = "BAD";
const char kFormatVersion[] = "2.0.0";

QString typeCode() { return fileExt.left(2); }

void putInt32(QByteArray &out, int32_t v)
{
    char b[4];
    qToLittleEndian<qint32>(v, b);
    out.append(b, 4);
}

void putFloat(QByteArray &out, float v)
{
    char b[4];
    qToLittleEndian<float>(v, b);
    out.append(b, 4);
}

// acceptanceOffset 0: no acceptance section (the table of every older file).
QByteArray sectionTable(int32_t acceptanceOffset)
{
    QByteArray t;
    int32_t entries[HoleFile::TableEntries] = {HoleFile::TextsOffset, HoleFile::NumbersOffset, 0, 0, 0, 0, 0, 0,
                                               HoleFile::SamplesOffset};
    entries[AcceptanceSection::TableEntry] = acceptanceOffset;
    for (int32_t e : entries)
        putInt32(t, e);
    return t;
}

// A negative zero is stored as zero, as the table shows it: a file must not
// hold a value the operator never saw.
float storedResistivity(float v) { return v == 0.0f ? 0.0f : v; }

// A mode nobody knows is stored as the automatic one, as ever.
uint8_t storedModeCode(int32_t code) { return SampleModes::isKnown(code) ? uint8_t(code) : 0; }

// A record with nothing to accept (no basis, no verdict, no position, first
// test) is written in the older layout, byte for byte.
bool needsAcceptanceSection(const HoleAcceptance &a) { return a != HoleAcceptance(); }

void waitProcessingEvents(int ms)
{
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, ms);
        const qint64 left = ms - t.elapsed();
        if (left > 0)
            QThread::msleep(quint64(qMin<qint64>(left, 2)));
    } while (t.elapsed() < ms);
    QCoreApplication::processEvents();
}

// Random access to a file's bytes: a field is read only when every one of
// its bytes lies inside the data.
class CFieldReader {
public:
    explicit CFieldReader(const QByteArray &data) : m_data(data), m_size(data.size()) {}
    qint64 size() const { return m_size; }
    bool fits(qint64 off, qint64 len) const { return off >= 0 && len >= 0 && off + len <= m_size; }
    const char *at(qint64 off) const { return m_data.constData() + off; }
    bool bytes(qint64 off, int len, QByteArray *out) const
    {
        if (!fits(off, len))
            return false;
        *out = m_data.mid(int(off), len);
        return true;
    }
    // A little-endian 32-bit integer or real.
    template <typename T>
    bool value(qint64 off, T *v) const
    {
        static_assert(sizeof(T) == 4, "32-bit fields only");
        if (!fits(off, 4))
            return false;
        *v = qFromLittleEndian<T>(at(off));
        return true;
    }
    bool byte(qint64 off, uint8_t *v) const
    {
        if (!fits(off, 1))
            return false;
        *v = uint8_t(*at(off));
        return true;
    }

private:
    const QByteArray &m_data;
    qint64 m_size;
};

// Section 1: each text only when it fits; reading stops at the first that
// does not.
void readTexts(const CFieldReader &r, qint64 off, CtrlInfo &info)
{
    SharedText *const texts[] = {&info.projectName, &info.holeNo, &info.testUnit, &info.constructionUnit, &info.tester};
    for (SharedText *t : texts) {
        QByteArray b;
        if (!r.bytes(off, HoleFile::TextFieldSize, &b))
            return;
        *t = GbkText::decode(b).trimmed();
        off += HoleFile::TextFieldSize;
    }
    QByteArray b;
    if (!r.bytes(off, HoleFile::DateFieldSize, &b))
        return;
    info.testDate = GbkText::decode(b).trimmed();
    off += HoleFile::DateFieldSize;
    if (!r.bytes(off, HoleFile::TimeFieldSize, &b))
        return;
    info.testTime = GbkText::decode(b).trimmed();
}

// Section 2, packed, field by field; stops at the first field outside.
void readNumbers(const CFieldReader &r, qint64 off, CtrlInfo &info)
{
    auto word = [&](auto &field) {
        decltype(field.load()) v;
        if (!r.value(off, &v))
            return false;
        field = v;
        off += 4;
        return true;
    };
    if (!word(info.maxDepth) || !word(info.holeDiameter) || !word(info.holeDepth)
        || !word(info.elevation) || !word(info.moveDistance) || !word(info.offsetAngle))
        return;
    uint8_t mode;
    if (!r.byte(off, &mode))
        return;
    info.sampleMode = SampleModes::isKnown(mode) ? int32_t(mode) : int32_t(SampleModes::AutoRaise);
    off += 1;
    if (!word(info.wheelD) || !word(info.lineD))
        return;
    uint8_t speed;
    if (!r.byte(off, &speed))
        return;
    info.winchSpeed = int32_t(speed);
    off += 1;
    if (!word(info.spareValue1) || !word(info.spareValue2) || !word(info.holeQuality)
        || !word(info.sedimentThickness))
        return;
    // The two trailing copies of the mode code carry nothing new.
}

// Where the layout ends: after the acceptance section when there is one,
// else after the samples the count announces (past the file's end when they
// are cut short).
qint64 layoutEnd(const CFieldReader &r, int32_t samplesOffset, int32_t acceptanceOffset, bool hasAcceptance)
{
    if (hasAcceptance) {
        int32_t size = 0;
        r.value(qint64(acceptanceOffset) + 8, &size);
        return qint64(acceptanceOffset) + size;
    }
    int32_t n = 0;
    int32_t recordSize = 0;
    r.value(samplesOffset, &n);
    r.value(qint64(samplesOffset) + 4, &recordSize);
    const int fields = recordSize > 11 ? 3 : recordSize > 7 ? 2 : recordSize > 3 ? 1 : 0;
    return qint64(samplesOffset) + 8 + qint64(4 * fields) * qMax<int32_t>(n, 0);
}

// Section 3. The count is only an announcement: samples are taken while
// their fields lie inside the file, so a forged count costs nothing. A
// trailing sample cut short is dropped (nobody can use half a sample).
// dataEnd: where the sample data ends (the file's end, or the acceptance
// section that follows the samples).
void readSamples(const CFieldReader &r, qint64 off, qint64 dataEnd, bool keep, HoleLoadResult &res)
{
    int32_t n = 0;
    int32_t recordSize = 0;
    r.value(off, &n);
    r.value(off + 4, &recordSize);
    off += 8;
    res.announcedSamples = n;
    // Each sample uses the first fields its record size covers; the next
    // sample follows the bytes used.
    const int fields = recordSize > 11 ? 3 : recordSize > 7 ? 2 : recordSize > 3 ? 1 : 0;
    const qint64 stride = 4 * fields;
    qint64 available = 0;
    const qint64 end = qMin(dataEnd, r.size());
    if (fields > 0 && end > off)
        available = (end - off) / stride;
    const qint64 take = qMin<qint64>(qMax<int32_t>(n, 0), qMin<qint64>(available, HoleFile::MaxSamples));
    res.samplesTruncated = take < n;
    res.sampleCount = take;
    if (!keep)
        return;
    res.samples.reserve(int(take));
    const char *p = r.at(off);
    for (qint64 i = 0; i < take; ++i, p += stride) {
        Sample s;
        s.depth = qFromLittleEndian<qint32>(p);
        if (fields > 1)
            s.resistivity = qFromLittleEndian<float>(p + 4);
        if (fields > 2)
            s.rawResistivity = qFromLittleEndian<float>(p + 8);
        res.samples.append(s);
    }
}

// The acceptance section when entry 2 names one that lies after the
// samples' start and inside the file; false otherwise.
bool readAcceptance(const CFieldReader &r, int32_t offset, int32_t samplesOffset, HoleAcceptance *out)
{
    if (offset <= samplesOffset || !r.fits(offset, AcceptanceSection::HeaderSize))
        return false;
    QByteArray b;
    r.bytes(offset, int(qMin<qint64>(r.size() - offset, AcceptanceSection::MaxSize)), &b);
    return AcceptanceSection::decode(b, out);
}
} // namespace

qint64 HoleFile::largestFileSize() { return fileSize(LargestTestSamples) + AcceptanceSection::MaxSize; }

QString withHoleExtension(const QString &path)
{
    const QString ext = QLatin1Char('.') + fileExt;
    if (path.right(ext.size()).compare(ext, Qt::CaseInsensitive) == 0)
        return path;
    return path + ext.toUpper();
}

QByteArray encodeHoleFile(const CtrlInfo &info, const QVector<Sample> &samples)
{
    QByteArray out;
    out.reserve(int(HoleFile::fileSize(samples.size())));
    const QString header = QString::fromLatin1(kMagicComplete) + QLatin1Char('-') + typeCode() + QLatin1Char('-')
        + QString::fromLatin1(kFormatVersion) + QLatin1Char('-') + info.paramDate.get();
    out += GbkText::field(header, HoleFile::HeaderSize, ' ');
    out += sectionTable(0);

    for (const SharedText *t : {&info.projectName, &info.holeNo, &info.testUnit, &info.constructionUnit, &info.tester})
        out += GbkText::field(t->get(), HoleFile::TextFieldSize, ' ');
    out += GbkText::field(info.testDate.get(), HoleFile::DateFieldSize, '\0');
    out += GbkText::field(info.testTime.get(), HoleFile::TimeFieldSize, '\0');

    const uint8_t mode = storedModeCode(info.sampleMode);
    putInt32(out, info.maxDepth);
    putInt32(out, info.holeDiameter);
    putInt32(out, info.holeDepth);
    putInt32(out, info.elevation);
    putInt32(out, info.moveDistance);
    putInt32(out, info.offsetAngle);
    out.append(char(mode));
    putInt32(out, info.wheelD);
    putInt32(out, info.lineD);
    out.append(char(uint8_t(int32_t(info.winchSpeed) & 0xFF)));
    putFloat(out, info.spareValue1);
    putFloat(out, info.spareValue2);
    putInt32(out, info.holeQuality);
    putInt32(out, info.sedimentThickness);
    putInt32(out, mode);
    putInt32(out, mode);

    putInt32(out, samples.size());
    putInt32(out, HoleFile::SampleRecordSize);
    for (const Sample &s : samples) {
        putInt32(out, s.depth);
        putFloat(out, storedResistivity(s.resistivity));
        putFloat(out, storedResistivity(s.rawResistivity));
    }
    if (needsAcceptanceSection(info.acceptance)) {
        out += AcceptanceSection::encode(info.acceptance);
        out.replace(HoleFile::TableOffset, 4 * HoleFile::TableEntries,
                    sectionTable(int32_t(HoleFile::fileSize(samples.size()))));
    }
    return out;
}

bool saveHoleFile(const QString &path, const CtrlInfo &info, const QVector<Sample> &samples,
                  const HoleSaveOptions &options, QString *errorMessage)
{
    const QByteArray image = encodeHoleFile(info, samples);
    CAtomicFileWriter w(withHoleExtension(path));
    if (options.simulateKillAfterBytes >= 0)
        w.simulateKillAfter(options.simulateKillAfterBytes);

    // Same order on disk as ever: "BAD" and an empty table first, the samples,
    // then "KRV" and the table once everything else is written.
    QByteArray head = image.left(int(HoleFile::fileSize(0)));
    head.replace(0, 3, kMagicWriting);
    head.replace(HoleFile::TableOffset, 4 * HoleFile::TableEntries, QByteArray(4 * HoleFile::TableEntries, '\0'));
    bool ok = w.open() && w.write(head);
    const int n = samples.size();
    if (ok && options.progress) {
        for (int i = 0; ok && i < n; ++i) {
            ok = w.write(image.mid(int(HoleFile::fileSize(i)), HoleFile::SampleRecordSize));
            if (ok) {
                options.progress(int((qint64(i) * 100) / n));
                waitProcessingEvents(options.progressWaitMs);
            }
        }
        ok = ok && w.write(image.mid(int(HoleFile::fileSize(n)))); // the acceptance section, if any
    } else if (ok) {
        ok = w.write(image.mid(int(HoleFile::fileSize(0))));
    }
    ok = ok && w.seek(0) && w.write(QByteArray(kMagicComplete)) && w.seek(HoleFile::TableOffset)
        && w.write(image.mid(HoleFile::TableOffset, 4 * HoleFile::TableEntries)) && w.commit();
    if (!ok) {
        if (errorMessage)
            *errorMessage = w.errorString();
        return false;
    }
    if (options.sync) {
        Platform::run(QStringLiteral("sync"), {});
        QThread::msleep(100);
        Platform::run(QStringLiteral("sync"), {});
        QThread::msleep(100);
        Platform::run(QStringLiteral("sync"), {});
    }
    return true;
}

bool rewriteReviewedFile(const CtrlInfo &info, const QVector<Sample> &samples)
{
    return saveHoleFile(info.filePath.get(), info, samples);
}

QString HoleLoadResult::errorText() const
{
    switch (error) {
    case HoleLoadError::None:
        return samplesTruncated ? QStringLiteral("fewer samples than announced") : QString();
    case HoleLoadError::CannotOpen:
        return QStringLiteral("cannot open file");
    case HoleLoadError::Incomplete:
        return QStringLiteral("not a complete hole file (interrupted save)");
    case HoleLoadError::NotHoleFile:
        return QStringLiteral("not a hole file");
    case HoleLoadError::WrongType:
        return QStringLiteral("not a sediment test file");
    case HoleLoadError::NoSampleSection:
        return QStringLiteral("no sample section");
    case HoleLoadError::TrailingBytes:
        return QStringLiteral("damaged: %1 bytes after the end of its data").arg(trailingBytes);
    }
    return QString();
}

HoleLoadResult decodeHoleFile(const QByteArray &bytes, CtrlInfo &info, bool keepSamples)
{
    HoleLoadResult res;
    const CFieldReader r(bytes);

    QByteArray headBytes;
    r.bytes(0, int(qMin<qint64>(r.size(), HoleFile::HeaderSize)), &headBytes);
    const QString header = GbkText::decode(headBytes);
    const QString magic = header.left(3);
    if (magic != QLatin1String(kMagicComplete) && magic != QString::fromLatin1(kMagicComplete).toLower()) {
        res.error = magic.compare(QLatin1String(kMagicWriting), Qt::CaseInsensitive) == 0 ? HoleLoadError::Incomplete
                                                                                        : HoleLoadError::NotHoleFile;
        return res;
    }
    const QString rest = header.trimmed().mid(4);
    const int dash = rest.indexOf(QLatin1Char('-'));
    const QString type = (dash < 0 ? rest : rest.left(dash)).trimmed();
    if (type != typeCode() && type != typeCode().toLower()) {
        res.error = HoleLoadError::WrongType;
        return res;
    }

    int32_t table[HoleFile::TableEntries] = {};
    for (int i = 0; i < HoleFile::TableEntries; ++i) {
        if (!r.value(HoleFile::TableOffset + 4 * i, &table[i]))
            break; // missing entries stay 0
    }
    HoleAcceptance acceptance;
    const int32_t acceptanceOffset = table[AcceptanceSection::TableEntry];
    res.hasAcceptance = readAcceptance(r, acceptanceOffset, table[8], &acceptance);
    if (table[8] > 0) {
        const qint64 end = layoutEnd(r, table[8], acceptanceOffset, res.hasAcceptance);
        if (r.size() > end) {
            res.error = HoleLoadError::TrailingBytes;
            res.trailingBytes = r.size() - end;
            return res;
        }
    }
    if (table[0] > 0)
        readTexts(r, table[0], info);
    if (table[1] > 0)
        readNumbers(r, table[1], info);
    info.acceptance = acceptance;
    if (table[8] <= 0) {
        res.error = HoleLoadError::NoSampleSection;
        return res;
    }
    readSamples(r, table[8], res.hasAcceptance ? acceptanceOffset : r.size(), keepSamples, res);
    res.ok = true;
    return res;
}

HoleLoadResult readHoleFile(const QString &path, CtrlInfo &info, bool keepSamples)
{
    const QString target = withHoleExtension(path);
    QFile f(target);
    // Read-only: opening a file for review must work on write-protected media.
    if (!f.open(QIODevice::ReadOnly) || f.size() > std::numeric_limits<int>::max()) {
        HoleLoadResult res;
        res.path = target;
        res.error = HoleLoadError::CannotOpen;
        return res;
    }
    // Mapped when the system allows it: no copy of a large file.
    const qint64 size = f.size();
    uchar *mapped = size > 0 ? f.map(0, size) : nullptr;
    const QByteArray bytes = mapped ? QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), int(size))
                                    : f.readAll();
    HoleLoadResult res = decodeHoleFile(bytes, info, keepSamples);
    res.path = target;
    return res;
}

HoleLoadResult loadHoleFile(const QString &path, CtrlInfo &info, SampleList &list, const HoleLoadOptions &options)
{
    HoleLoadResult res = readHoleFile(path, info);
    if (!res.headerAccepted())
        return res;
    if (options.beforeSamples)
        options.beforeSamples();
    if (options.processEvents) {
        for (const Sample &s : qAsConst(res.samples)) {
            QCoreApplication::processEvents();
            list.appendSample(s);
        }
    } else {
        list.appendSamples(res.samples);
    }
    return res;
}
