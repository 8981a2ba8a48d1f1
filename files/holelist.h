#pragma once
// The hole files of one project as the browser shows them: one entry per
// hole (its first test's name, repeats NAME-2, NAME-3, ... with it), holes in
// the order of their newest file. A hole's verdict and tests are read only
// when its entry is asked for, and each file at most once per listing, so a
// page of a project of thousands of files reads only its own holes' files
// (and the few named like repeats, to know their hole).

#include "projectsummary.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

class HoleList {
public:
    // Lists the project folder again and forgets every file read.
    void load(const QString &projectDir);

    int size() const { return m_groups.size(); }
    // Hole names in list order (what the paging goes by).
    QStringList holeNames() const;
    // Every hole file of the project, newest first (the export's list).
    const QStringList &fileNames() const { return m_files; }

    struct Entry {
        QString hole;
        QStringList tests;   // file names (with extension), latest test first
        bool judgeable = false; // at least one test could be read
        int32_t verdict = 0;    // the hole's verdict over its positions
        QString latestFile() const { return tests.value(0); }
    };
    Entry entry(int index);

    // "Z17\n×2 合格": the hole, then the number of tests when there are
    // several and the verdict; only the name when no test can be read.
    static QString buttonText(const Entry &e);

private:
    const HoleTestRecord &test(int fileIndex);

    QString m_dir;
    QStringList m_files;
    QVector<TestGroup> m_groups;
    QHash<int, HoleTestRecord> m_read; // file index -> its record
};
