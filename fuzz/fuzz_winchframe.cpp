// The winch controller's reports arrive over the network in pieces of any
// size. Whatever bytes come, the link must only ever hand on well-formed
// 40-byte reports taken from the stream in order, keep no more than one
// unfinished report buffered, and the model must turn any report into a
// height and a value without undefined arithmetic.
//
// Input: 4 bytes pulley diameter, 4 bytes cable diameter, then the stream;
// each stream byte below 8 that follows a 0xFF cuts the stream there (the
// reads of the link).

#include "fuzzsupport.h"

#include "acqstate.h"
#include "appmodel.h"
#include "ctrlinfo.h"
#include "depthcalc.h"
#include "winchframe.h"

#include <QtEndian>
#include <cmath>

namespace {
QList<QByteArray> cutIntoReads(const QByteArray &stream)
{
    QList<QByteArray> reads;
    QByteArray cur;
    for (int i = 0; i < stream.size(); ++i) {
        cur.append(stream.at(i));
        if (uchar(stream.at(i)) == 0xFF && i + 1 < stream.size() && uchar(stream.at(i + 1)) < 8) {
            reads.append(cur);
            cur.clear();
        }
    }
    reads.append(cur);
    return reads;
}

// Feeds the reads and checks what comes out against the whole stream.
QList<QByteArray> assemble(CWinchFrameAssembler::Kind kind, const QList<QByteArray> &reads)
{
    const int size = kind == CWinchFrameAssembler::Reports ? WinchFrame::ReportSize : WinchFrame::RequestSize;
    CWinchFrameAssembler a(kind);
    QByteArray stream;
    QList<QByteArray> frames;
    int from = 0;
    for (const QByteArray &r : reads) {
        stream += r;
        const QList<QByteArray> got = a.feed(r);
        FUZZ_CHECK(a.pendingSize() < size);
        for (const QByteArray &f : got) {
            FUZZ_CHECK(f.size() == size);
            FUZZ_CHECK(kind == CWinchFrameAssembler::Reports ? isWinchReport(f) : parseWinchRequest(f));
            // Each frame is a piece of the stream after the previous one.
            const int at = stream.indexOf(f, from);
            FUZZ_CHECK(at >= 0);
            from = at + size;
            frames.append(f);
        }
    }
    return frames;
}
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInit(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 8)
        return 0;
    const int32_t wheelD = qFromLittleEndian<qint32>(data);
    const int32_t lineD = qFromLittleEndian<qint32>(data + 4);
    const QByteArray stream(reinterpret_cast<const char *>(data + 8), int(size - 8));
    const QList<QByteArray> reads = cutIntoReads(stream);

    // The simulator reads the link's requests the same way.
    assemble(CWinchFrameAssembler::Requests, reads);
    const QList<QByteArray> reports = assemble(CWinchFrameAssembler::Reports, reads);

    CAppModel model(WinchAddress{QString(), 0}, false);
    model.setWinchGeometry(wheelD, lineD);
    quint64 sequence = 0;
    for (const QByteArray &bytes : reports) {
        const WinchReport report = decodeWinchReport(bytes);
        const float oldValue = model.currentValue.load();
        const int32_t oldHeight = model.winchHeight.load();
        const bool changed = model.updateFrom(report, ++sequence);
        FUZZ_CHECK(model.lastPulseCount == report.pulseCount);
        FUZZ_CHECK(changed || model.winchHeight.load() == oldHeight);
        FUZZ_CHECK(changed || std::isnan(oldValue) || model.currentValue.load() == oldValue);
        const float h = winchMetresForPulses(report.pulseCount, wheelD, lineD);
        // A height the model took is the one computed for this report.
        if (model.winchHeight.load() != oldHeight)
            FUZZ_CHECK(model.winchHeight.load() == winchMillimetres(h));
        // The value follows every finite reading, and a reading that is not
        // a number is never taken (samples would carry it into the file).
        const float r = report.rawValue * model.resiAmpFactor;
        if (std::isfinite(r))
            FUZZ_CHECK(std::fabs(model.currentValue.load() - r) <= 0.00001f);
        FUZZ_CHECK(!std::isnan(model.currentValue.load()));
        if (report.cleared && report.pulseCount == 0)
            FUZZ_CHECK(model.clearRequest == 0);
    }
    return 0;
}
