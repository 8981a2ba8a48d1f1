#include "winchframe.h"

#include <QtEndian>
#include <cstring>

using namespace WinchFrame;

QByteArray buildWinchRequest(bool clear)
{
    QByteArray b(RequestSize, '\0');
    b[0] = char(RequestStart);
    qToLittleEndian<quint32>(quint32(RequestSize), b.data() + 1);
    b[RequestClearOffset] = clear ? 1 : 0;
    b[RequestSize - 1] = char(RequestEnd);
    return b;
}

bool parseWinchRequest(const QByteArray &bytes, bool *clear)
{
    if (bytes.size() < RequestSize)
        return false;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    if (p[0] != RequestStart || p[RequestSize - 1] != RequestEnd
        || qFromLittleEndian<quint32>(p + 1) != quint32(RequestSize))
        return false;
    if (clear)
        *clear = p[RequestClearOffset] != 0;
    return true;
}

QByteArray buildWinchReport(const WinchReport &fields)
{
    QByteArray b(ReportSize, '\0');
    b[0] = char(ReportStart);
    b[ReportLengthOffset] = char(ReportSize);
    qToLittleEndian<qint32>(fields.pulseCount, b.data() + ReportPulseOffset);
    quint32 valueBits;
    std::memcpy(&valueBits, &fields.rawValue, sizeof valueBits);
    qToLittleEndian<quint32>(valueBits, b.data() + ReportValueOffset);
    b[ReportClearedOffset] = fields.cleared ? 1 : 0;
    b[ReportSize - 1] = char(ReportEnd);
    return b;
}

bool isWinchReport(const QByteArray &bytes)
{
    if (bytes.size() < ReportSize)
        return false;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    return p[0] == ReportStart && p[ReportLengthOffset] == ReportSize && p[ReportSize - 1] == ReportEnd;
}

WinchReport decodeWinchReport(const QByteArray &bytes)
{
    WinchReport r;
    if (bytes.size() < ReportSize)
        return r;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    r.pulseCount = qFromLittleEndian<qint32>(p + ReportPulseOffset);
    const quint32 valueBits = qFromLittleEndian<quint32>(p + ReportValueOffset);
    std::memcpy(&r.rawValue, &valueBits, sizeof valueBits);
    r.cleared = p[ReportClearedOffset] != 0;
    return r;
}

QList<QByteArray> CWinchFrameAssembler::feed(const QByteArray &bytes)
{
    const bool reports = m_kind == Reports;
    const int size = reports ? ReportSize : RequestSize;
    const char start = char(reports ? ReportStart : RequestStart);
    QList<QByteArray> out;
    m_pending.append(bytes);
    const char *const data = m_pending.constData();
    const int end = m_pending.size();
    // Candidates are passed over by moving a read offset; the consumed bytes
    // leave the buffer once at the end. Each byte is thus looked at a bounded
    // number of times, however many false starts the stream holds.
    int at = 0;
    while (at < end) {
        const void *found = std::memchr(data + at, start, size_t(end - at));
        if (!found) {
            at = end;
            break;
        }
        at = int(static_cast<const char *>(found) - data);
        // Both frames carry their size in byte 1: a wrong one is known as
        // soon as it arrives, so skip this start at once.
        if (end - at > 1 && uchar(data[at + 1]) != size) {
            ++at;
            continue;
        }
        if (end - at < size)
            break;
        const QByteArray candidate = QByteArray::fromRawData(data + at, size);
        if (reports ? isWinchReport(candidate) : parseWinchRequest(candidate)) {
            out.append(QByteArray(data + at, size));
            at += size;
        } else {
            ++at;
        }
    }
    m_pending.remove(0, at);
    return out;
}
