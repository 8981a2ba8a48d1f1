#include "previoustest.h"

#include "projectsummary.h"

#include <algorithm>
#include <utility>
#include <vector>

bool earlierTestBelongs(const QString &candidate, int32_t storedSequence, const QString &hole,
                        const QStringList &allFileNames)
{
    return holeOfTest(candidate, storedSequence, allFileNames).compare(hole, Qt::CaseInsensitive) == 0;
}

QStringList earlierTestsOf(const QString &fileName, int32_t sequence, const QStringList &allFileNames)
{
    const QString hole = holeOfTest(fileName, sequence, allFileNames);
    const int32_t own = testSequenceOf(fileName, hole);
    std::vector<std::pair<int32_t, QString>> earlier;
    for (const QString &other : allFileNames) {
        // Only names that start with the hole's can be its tests: the cheap
        // look keeps a project of thousands of files linear.
        if (!other.startsWith(hole, Qt::CaseInsensitive))
            continue;
        // Candidates are judged by their names here; their stored sequence
        // is checked once they are read.
        if (holeOfTest(other, 0, allFileNames).compare(hole, Qt::CaseInsensitive) != 0)
            continue;
        const int32_t n = testSequenceOf(other, hole);
        if (n < own)
            earlier.emplace_back(n, other);
    }
    std::sort(earlier.begin(), earlier.end(),
              [](const auto &a, const auto &b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
    QStringList out;
    for (const auto &e : earlier)
        out.append(e.second);
    return out;
}
