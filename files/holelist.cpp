#include "holelist.h"

#include "holefiles.h"
#include "verdict.h"

#include <QCoreApplication>

void HoleList::load(const QString &projectDir)
{
    m_dir = projectDir;
    m_read.clear();
    m_files = HoleFiles::listHoleFiles(projectDir);
    m_groups = groupTests(m_files, [this](int i) {
        const HoleTestRecord &t = test(i);
        return t.hasAcceptance ? t.acceptance.sequence : 0;
    });
}

QStringList HoleList::holeNames() const
{
    QStringList out;
    out.reserve(m_groups.size());
    for (const TestGroup &g : m_groups)
        out.append(g.hole);
    return out;
}

const HoleTestRecord &HoleList::test(int fileIndex)
{
    auto it = m_read.find(fileIndex);
    if (it == m_read.end())
        it = m_read.insert(fileIndex, holeTestFromFile(m_dir + QLatin1Char('/') + m_files.at(fileIndex)));
    return *it;
}

HoleList::Entry HoleList::entry(int index)
{
    Entry e;
    if (index < 0 || index >= m_groups.size())
        return e;
    const TestGroup &g = m_groups.at(index);
    e.hole = g.hole;
    QVector<HoleTestRecord> readable;
    QStringList unreadable;
    for (int i : g.tests) {
        const HoleTestRecord &t = test(i);
        if (t.readable)
            readable.append(t);
        else
            unreadable.append(m_files.at(i));
    }
    if (!readable.isEmpty()) {
        const HoleResult r = resultOfHole(g.hole, readable);
        for (auto it = r.testFiles.crbegin(); it != r.testFiles.crend(); ++it)
            e.tests.append(*it);
        e.judgeable = true;
        e.verdict = r.verdict();
    }
    e.tests += unreadable; // newest file first, after every readable test
    return e;
}

QString HoleList::buttonText(const Entry &e)
{
    if (!e.judgeable)
        return e.hole;
    const QString count = e.tests.size() > 1 ? QStringLiteral("×%1 ").arg(e.tests.size()) : QString();
    return e.hole + QLatin1Char('\n') + count + verdictText(e.verdict);
}
