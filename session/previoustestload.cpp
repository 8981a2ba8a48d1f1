#include "previoustestload.h"

#include "holefiles.h"

#include "previoustest.h"
#include "projectsummary.h"

#include "ctrlinfo.h"
#include "holefile.h"

#include <QDir>
#include <QFileInfo>

namespace {
QString withoutExtension(const QString &fileName)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? fileName.left(dot) : fileName;
}
} // namespace

PreviousTest findPreviousTest(const QString &reviewedPath, int32_t storedSequence)
{
    const QFileInfo reviewed(reviewedPath);
    const QDir folder = reviewed.absoluteDir();
    QStringList names;
    for (const QString &name : folder.entryList(QDir::Files)) {
        if (HoleFiles::isHoleFileName(name))
            names.append(name);
    }
    const QString own = reviewed.fileName();
    const QString hole = holeOfTest(own, storedSequence, names);
    for (const QString &candidate : earlierTestsOf(own, storedSequence, names)) {
        CtrlInfo info;
        const QString path = folder.filePath(candidate);
        const HoleLoadResult r = readHoleFile(path, info);
        if (!r.ok)
            continue;
        if (!earlierTestBelongs(candidate, r.hasAcceptance ? int32_t(info.acceptance.sequence) : 0, hole, names))
            continue;
        PreviousTest t;
        t.path = r.path.isEmpty() ? path : r.path;
        t.name = withoutExtension(candidate);
        t.testDate = info.testDate;
        t.testTime = info.testTime;
        t.samples = r.samples;
        return t;
    }
    return PreviousTest();
}
