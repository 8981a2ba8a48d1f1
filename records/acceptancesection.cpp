#include "acceptancesection.h"

#include "gbktext.h"

#include <QtEndian>

namespace {
const char kTag[] = "ACPT";

void putInt32(QByteArray &out, int32_t v)
{
    char b[4];
    qToLittleEndian<qint32>(v, b);
    out.append(b, 4);
}

void putEntry(QByteArray &out, const char *key, const QByteArray &value)
{
    out.append(key, 4);
    putInt32(out, value.size());
    out += value;
}

QByteArray int32Bytes(int32_t v)
{
    QByteArray b;
    putInt32(b, v);
    return b;
}

int32_t int32At(const QByteArray &bytes, int off)
{
    return qFromLittleEndian<qint32>(bytes.constData() + off);
}
} // namespace

namespace AcceptanceSection {

QByteArray encode(const HoleAcceptance &a)
{
    QByteArray body;
    putEntry(body, "DSGN", int32Bytes(a.designLimitMm));
    putEntry(body, "CODE", GbkText::encode(a.code));
    putEntry(body, "PILE", GbkText::encode(a.pileType));
    putEntry(body, "LIMT", int32Bytes(a.limitMm));
    putEntry(body, "VERD", int32Bytes(a.verdict));
    putEntry(body, "OVRD", int32Bytes(a.overridden ? 1 : 0));
    putEntry(body, "POSN", int32Bytes(a.position));
    putEntry(body, "SEQN", int32Bytes(a.sequence));
    // Only when set, so that a judged test's section keeps its bytes.
    if (a.awaitingJudgement)
        putEntry(body, "PEND", int32Bytes(1));
    if (a.holeNumberKept)
        putEntry(body, "HKPT", int32Bytes(1));
    if (a.overridden && a.overrideReason != OverrideReason::None)
        putEntry(body, "OVRS", int32Bytes(a.overrideReason));
    QByteArray out(kTag, 4);
    putInt32(out, Version);
    putInt32(out, HeaderSize + body.size());
    return out + body;
}

bool decode(const QByteArray &bytes, HoleAcceptance *out)
{
    if (bytes.size() < HeaderSize || !bytes.startsWith(kTag))
        return false;
    const int32_t size = int32At(bytes, 8);
    if (size < HeaderSize || size > bytes.size() || size > MaxSize)
        return false;
    HoleAcceptance a;
    for (int off = HeaderSize; off + 8 <= size;) {
        const QByteArray key = bytes.mid(off, 4);
        const int32_t len = int32At(bytes, off + 4);
        off += 8;
        if (len < 0 || len > size - off)
            break; // damaged entry: keep what was read
        const QByteArray value = bytes.mid(off, len);
        off += len;
        if (key == "CODE" || key == "PILE") {
            (key == "CODE" ? a.code : a.pileType) = GbkText::decode(value);
            continue;
        }
        if (len != 4)
            continue;
        const int32_t v = int32At(value, 0);
        if (key == "DSGN")
            a.designLimitMm = v;
        else if (key == "LIMT")
            a.limitMm = v;
        else if (key == "VERD")
            a.verdict = v < 0 ? AcceptanceVerdict::NotJudged : v == 0 ? AcceptanceVerdict::Pass : AcceptanceVerdict::Fail;
        else if (key == "OVRD")
            a.overridden = v != 0;
        else if (key == "POSN")
            a.position = v >= 0 && v <= MeasuringPosition::Last ? v : MeasuringPosition::Unnamed;
        else if (key == "SEQN")
            a.sequence = v > 0 ? v : 1;
        else if (key == "PEND")
            a.awaitingJudgement = v != 0;
        else if (key == "HKPT")
            a.holeNumberKept = v != 0;
        else if (key == "OVRS")
            a.overrideReason = v > OverrideReason::None && v <= OverrideReason::Last ? v : OverrideReason::Other;
    }
    *out = a;
    return true;
}

} // namespace AcceptanceSection
