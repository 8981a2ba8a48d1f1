#include "winchframe.h"

#include <QList>
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

QList<QByteArray> CWinchReportAssembler::feed(const QByteArray &bytes)
{
    QList<QByteArray> out;
    m_pending.append(bytes);
    for (;;) {
        const int start = m_pending.indexOf(char(ReportStart));
        if (start < 0) {
            m_pending.clear();
            break;
        }
        m_pending.remove(0, start);
        // A wrong length byte is known as soon as it arrives: skip this start.
        if (m_pending.size() > ReportLengthOffset && uchar(m_pending.at(ReportLengthOffset)) != ReportSize) {
            m_pending.remove(0, 1);
            continue;
        }
        if (m_pending.size() < ReportSize)
            break;
        if (isWinchReport(m_pending)) {
            out.append(m_pending.left(ReportSize));
            m_pending.remove(0, ReportSize);
        } else {
            m_pending.remove(0, 1);
        }
    }
    return out;
}
