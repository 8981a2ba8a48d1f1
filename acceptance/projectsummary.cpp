#include "projectsummary.h"

#include "filenames.h"
#include "holefile.h"
#include "verdict.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QRegularExpression>
#include <algorithm>
#include <map>

namespace {
// The name without folder and extension (string work only: the browser
// groups thousands of names on every listing).
QString baseName(const QString &fileName)
{
    const int start = fileName.lastIndexOf(QLatin1Char('/')) + 1;
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > start ? fileName.mid(start, dot - start) : fileName.mid(start);
}

// "Z17-2" -> ("Z17", 2); no repeat suffix -> (name, 1).
std::pair<QString, int32_t> splitRepeat(const QString &name)
{
    static const QRegularExpression suffix(QStringLiteral("^(.+)-([2-9]|[1-9]\\d{1,3})$"));
    const QRegularExpressionMatch m = suffix.match(name);
    if (!m.hasMatch())
        return {name, 1};
    return {m.captured(1), m.captured(2).toInt()};
}

bool laterThan(const HoleTestRecord &a, const HoleTestRecord &b)
{
    const QString da = a.dateTime(), db = b.dateTime();
    if (da != db)
        return da > db;
    if (a.acceptance.sequence != b.acceptance.sequence)
        return a.acceptance.sequence > b.acceptance.sequence;
    return a.fileName > b.fileName;
}


int32_t combine(int32_t a, int32_t b)
{
    if (a == AcceptanceVerdict::Fail || b == AcceptanceVerdict::Fail)
        return AcceptanceVerdict::Fail;
    if (a == AcceptanceVerdict::NotJudged || b == AcceptanceVerdict::NotJudged)
        return AcceptanceVerdict::NotJudged;
    return AcceptanceVerdict::Pass;
}
} // namespace

bool naturalLess(const QString &a, const QString &b)
{
    int i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            int ei = i, ej = j;
            while (ei < a.size() && a.at(ei).isDigit())
                ++ei;
            while (ej < b.size() && b.at(ej).isDigit())
                ++ej;
            int si = i, sj = j; // leading zeros do not count
            while (si + 1 < ei && a.at(si) == QLatin1Char('0'))
                ++si;
            while (sj + 1 < ej && b.at(sj) == QLatin1Char('0'))
                ++sj;
            const QStringRef ta = a.midRef(si, ei - si), tb = b.midRef(sj, ej - sj);
            if (ta.size() != tb.size())
                return ta.size() < tb.size();
            if (const int c = ta.compare(tb); c != 0)
                return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        const QChar ca = a.at(i).toLower(), cb = b.at(j).toLower();
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b; // a total order: names that differ only in case or zeros
}

int32_t HoleTestRecord::verdict() const
{
    if (!readable || !acceptance.judged())
        return AcceptanceVerdict::NotJudged;
    return holeQuality == 0 ? AcceptanceVerdict::Pass : AcceptanceVerdict::Fail;
}

HoleTestRecord holeTestFromRecord(const QString &fileName, const CtrlInfo &info, int sampleCount,
                                  const QString &sha256)
{
    HoleTestRecord t;
    t.fileName = QFileInfo(fileName).fileName();
    t.sha256 = sha256;
    t.readable = true;
    t.projectName = info.projectName;
    t.holeNo = info.holeNo;
    t.tester = info.tester;
    t.testDate = info.testDate;
    t.testTime = info.testTime;
    t.maxDepthMm = info.maxDepth;
    t.holeDiameterMm = info.holeDiameter;
    t.sedimentThicknessCm = info.sedimentThickness;
    t.holeQuality = info.holeQuality;
    t.sampleCount = sampleCount;
    t.acceptance = info.acceptance;
    return t;
}

namespace {
HoleTestRecord fromBytes(const QString &fileName, const QByteArray &bytes, bool withSha256)
{
    CtrlInfo info;
    const HoleLoadResult r = decodeHoleFile(bytes, info, false);
    const QString sha = withSha256
        ? QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex())
        : QString();
    if (!r.ok) {
        HoleTestRecord t;
        t.fileName = QFileInfo(fileName).fileName();
        t.sha256 = sha;
        t.error = r.errorText();
        return t;
    }
    HoleTestRecord t = holeTestFromRecord(fileName, info, int(r.sampleCount), sha);
    t.hasAcceptance = r.hasAcceptance;
    return t;
}

HoleTestRecord fromFile(const QFileInfo &fi, bool withSha256)
{
    // Read, not mapped: for files of a few kilobytes, read by the hundred
    // (the browser), mapping and unmapping costs more than the copy.
    // An office tool's GBK-named file: its name as the instrument spells it.
    const QString name = FileNames::shown(fi.fileName());
    QFile f(fi.filePath());
    if (!f.open(QIODevice::ReadOnly)) {
        HoleTestRecord t;
        t.fileName = name;
        t.error = f.errorString();
        return t;
    }
    return fromBytes(name, f.readAll(), withSha256);
}
} // namespace

HoleTestRecord holeTestFromFile(const QString &path) { return fromFile(QFileInfo(path), false); }

HoleTestRecord holeTestFromBytes(const QString &fileName, const QByteArray &bytes)
{
    return fromBytes(fileName, bytes, true);
}

QString holeOfTest(const QString &fileName, int32_t sequence, const QStringList &allFileNames)
{
    const QVector<TestGroup> groups = groupTests(QStringList{fileName} + allFileNames, [&](int i) { return i == 0 ? sequence : 0; });
    return groups.first().hole;
}

QVector<TestGroup> groupTests(const QStringList &fileNames, const std::function<int32_t(int)> &sequenceOf)
{
    QStringList bases;
    bases.reserve(fileNames.size());
    QHash<QString, QString> byLower; // lower-case name -> the name as spelt
    for (const QString &f : fileNames) {
        bases.append(baseName(f));
        byLower.insert(bases.last().toLower(), bases.last());
    }
    QVector<TestGroup> groups;
    QHash<QString, int> groupOf; // lower-case hole name -> index in groups
    for (int i = 0; i < bases.size(); ++i) {
        const QString &name = bases.at(i);
        QString hole = name;
        bool first = true; // the hole's own name, not a repeat
        if (name.contains(QLatin1Char('-'))) {
            const auto [base, n] = splitRepeat(name);
            if (n >= 2) {
                // The file says which test it is; an older one is a repeat
                // when the hole's own file is in the project.
                const int32_t sequence = sequenceOf(i);
                if (sequence > 0)
                    hole = sequence == n ? base : name;
                else
                    hole = byLower.value(base.toLower(), name);
                first = hole == name;
            }
        }
        const QString key = hole.toLower();
        auto it = groupOf.find(key);
        if (it == groupOf.end()) {
            it = groupOf.insert(key, groups.size());
            groups.append(TestGroup{hole, {}});
        } else if (first) {
            groups[*it].hole = hole;
        }
        groups[*it].tests.append(i);
    }
    return groups;
}

int32_t testSequenceOf(const QString &testName, const QString &hole)
{
    const QString name = baseName(testName);
    if (name.compare(hole, Qt::CaseInsensitive) == 0)
        return 1;
    const auto [base, n] = splitRepeat(name);
    return base.compare(hole, Qt::CaseInsensitive) == 0 ? n : 1;
}

bool isTestNameOfHole(const QString &testName, const QString &hole)
{
    const QString name = baseName(testName);
    if (name.compare(hole, Qt::CaseInsensitive) == 0)
        return true;
    const auto [base, n] = splitRepeat(name);
    return n > 1 && base.compare(hole, Qt::CaseInsensitive) == 0;
}

QString nextFreeTestName(const QString &hole, const QStringList &existingFileNames)
{
    QSet<QString> taken;
    for (const QString &f : existingFileNames)
        taken.insert(baseName(f).toLower());
    if (!taken.contains(hole.toLower()))
        return hole;
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1-%2").arg(hole, QString::number(n));
        if (!taken.contains(candidate.toLower()))
            return candidate;
    }
}

int32_t HoleResult::verdict() const
{
    if (positions.isEmpty())
        return AcceptanceVerdict::NotJudged;
    int32_t v = AcceptanceVerdict::Pass;
    for (const PositionResult &p : positions)
        v = combine(v, p.verdict());
    return v;
}

const HoleTestRecord &HoleResult::latest() const
{
    const PositionResult *best = &positions.first();
    for (const PositionResult &p : positions) {
        if (laterThan(p.latest, best->latest))
            best = &p;
    }
    return best->latest;
}

int ProjectSummary::passed() const
{
    return int(std::count_if(holes.begin(), holes.end(),
                             [](const HoleResult &h) { return h.verdict() == AcceptanceVerdict::Pass; }));
}

int ProjectSummary::failed() const
{
    return int(std::count_if(holes.begin(), holes.end(),
                             [](const HoleResult &h) { return h.verdict() == AcceptanceVerdict::Fail; }));
}

int ProjectSummary::notJudged() const { return tested() - passed() - failed(); }

HoleResult resultOfHole(const QString &hole, const QVector<HoleTestRecord> &tests)
{
    QVector<const HoleTestRecord *> list;
    list.reserve(tests.size());
    for (const HoleTestRecord &t : tests)
        list.append(&t);
    std::sort(list.begin(), list.end(), [](const HoleTestRecord *a, const HoleTestRecord *b) { return laterThan(*b, *a); });
    HoleResult h;
    h.hole = hole;
    std::map<int32_t, PositionResult> positions;
    for (const HoleTestRecord *t : list) {
        h.testFiles.append(t->fileName);
        PositionResult &p = positions[t->acceptance.position];
        p.position = t->acceptance.position;
        ++p.tests;
        p.latest = *t; // oldest first: the last one stays
    }
    for (auto &kv : positions)
        h.positions.append(kv.second);
    return h;
}

ProjectSummary summarizeProject(const QVector<HoleTestRecord> &tests)
{
    ProjectSummary s;
    QVector<const HoleTestRecord *> readable;
    QStringList names;
    readable.reserve(tests.size());
    names.reserve(tests.size());
    const HoleTestRecord *newest = nullptr;
    for (const HoleTestRecord &t : tests) {
        if (!t.readable) {
            s.unreadable.append(t);
            continue;
        }
        readable.append(&t);
        names.append(t.fileName);
        if (!newest || laterThan(t, *newest))
            newest = &t;
    }
    if (newest)
        s.projectName = newest->projectName;
    const QVector<TestGroup> groups = groupTests(names, [&](int i) {
        const HoleTestRecord *t = readable.at(i);
        return t->hasAcceptance ? t->acceptance.sequence : 0;
    });
    s.holes.reserve(groups.size());
    for (const TestGroup &g : groups) {
        QVector<HoleTestRecord> holeTests;
        holeTests.reserve(g.tests.size());
        for (int i : g.tests)
            holeTests.append(*readable.at(i));
        s.holes.append(resultOfHole(g.hole, holeTests));
    }
    std::sort(s.holes.begin(), s.holes.end(),
              [](const HoleResult &a, const HoleResult &b) { return naturalLess(a.hole, b.hole); });
    return s;
}

ProjectSummary summarizeProject(const QVector<HoleFileBytes> &files)
{
    QVector<HoleTestRecord> tests;
    tests.reserve(files.size());
    for (const HoleFileBytes &f : files) {
        tests.append(holeTestFromBytes(f.fileName, f.bytes));
        tests.last().officeRejudgement = f.officeRejudgement;
    }
    return summarizeProject(tests);
}

ProjectSummary summarizeProjectFolder(const QString &dir)
{
    QVector<HoleTestRecord> tests;
    const QString ext = QLatin1Char('.') + fileExt;
    const QFileInfoList entries = QDir(dir).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &fi : entries) {
        if (!fi.fileName().endsWith(ext, Qt::CaseInsensitive))
            continue;
        tests.append(fromFile(fi, true));
    }
    return summarizeProject(tests);
}
