// Hole data files come from the instrument's own disk and from USB disks:
// any bytes at all must be refused or read without a crash, without an
// allocation beyond what the file holds, and a refusal must leave the record
// as it was. A file that is read must write back to the same numbers and
// samples.

#include "fuzzsupport.h"

#include "acceptancesection.h"
#include "ctrlinfo.h"
#include "holefile.h"
#include "testrecord.h"

#include <QFile>
#include <cstring>

namespace {
QString gPath;

// A negative zero is written back as zero (the table shows no sign on it);
// every other value, NaNs included, is written back bit for bit.
QVector<Sample> asWritten(QVector<Sample> samples)
{
    for (Sample &s : samples) {
        for (float *v : {&s.resistivity, &s.rawResistivity}) {
            if (*v == 0.0f)
                *v = 0.0f;
        }
    }
    return samples;
}

bool sameSamples(const QVector<Sample> &a, const QVector<Sample> &b)
{
    // Bitwise: a NaN read from a file must come back as the same NaN.
    return a.size() == b.size()
        && (a.isEmpty() || std::memcmp(a.constData(), b.constData(), size_t(a.size()) * sizeof(Sample)) == 0);
}
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInit(argc, argv);
    gPath = fuzzAppDir() + QStringLiteral("/input.CZO");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzWriteAppFile(QStringLiteral("input.CZO"), data, size);
    CtrlInfo info;
    fillSentinelRecord(info);
    const CtrlInfo before(info);

    const HoleLoadResult r = readHoleFile(gPath, info);

    if (!r.headerAccepted()) {
        FUZZ_CHECK(!r.ok);
        FUZZ_CHECK(r.samples.isEmpty());
        FUZZ_CHECK_SAME_RECORD(info, before);
        return 0;
    }
    // Accepted: the magic is the complete one, in either case.
    FUZZ_CHECK(size >= 3 && (std::memcmp(data, "KRV", 3) == 0 || std::memcmp(data, "krv", 3) == 0));
    // Never more samples than the bytes could hold (4 bytes each at least;
    // a forged offset may point the samples anywhere) nor than the file
    // announced.
    FUZZ_CHECK(r.samples.size() <= qint64(size) / 4);
    FUZZ_CHECK(r.samples.size() <= HoleFile::MaxSamples);
    FUZZ_CHECK(!r.ok || r.samples.size() <= qMax<qint64>(0, r.announcedSamples));
    if (!r.ok)
        return 0;

    // What was read writes back and reads again unchanged (numbers and samples;
    // texts may lose undecodable bytes on the first pass).
    const QByteArray image = encodeHoleFile(info, r.samples);
    // The older layout exactly, unless acceptance fields were read.
    FUZZ_CHECK(image.size() == HoleFile::fileSize(r.samples.size())
               + (info.acceptance == HoleAcceptance() ? 0 : AcceptanceSection::encode(info.acceptance).size()));
    FUZZ_CHECK(r.hasAcceptance || info.acceptance == HoleAcceptance());
    QFile f(gPath);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(image) == image.size());
    f.close();
    CtrlInfo again;
    fillSentinelRecord(again);
    const HoleLoadResult r2 = readHoleFile(gPath, again);
    FUZZ_CHECK(r2.ok && !r2.samplesTruncated);
    FUZZ_CHECK(sameSamples(asWritten(r.samples), r2.samples));
    FUZZ_CHECK(encodeHoleFile(again, r2.samples).mid(HoleFile::NumbersOffset)
               == image.mid(HoleFile::NumbersOffset));
    // The acceptance texts may lose undecodable bytes on the first pass too
    // (they come back as '?'); from then on the section is stable.
    FUZZ_CHECK(AcceptanceSection::encode(again.acceptance) == AcceptanceSection::encode(info.acceptance));
    HoleAcceptance numbersOnly = again.acceptance;
    numbersOnly.code = info.acceptance.code;
    numbersOnly.pileType = info.acceptance.pileType;
    FUZZ_CHECK(numbersOnly == info.acceptance);
    return 0;
}
