#pragma once
// The three lines the operation chooser shows about a pressed item.

#include <QString>

struct ItemTexts {
    QString path;     // full path of the hole file or project folder
    QString nameText;
    QString sizeText;
    QString timeText;
};

namespace ItemDescription {

// Hole file `fileName` (with its extension as listed) of the project folder
// `projectDir`, shown as `name`: size of the hole file plus its report file,
// modification time of the hole file.
ItemTexts holeFile(const QString &projectDir, const QString &fileName, const QString &name);

// Project folder `name` in `dataDir`: number of hole files, modification time
// of the folder.
ItemTexts project(const QString &dataDir, const QString &name);

// "修改时间: %1年%2月%3日 %4:%5:%6" without leading zeros.
QString timeText(const QString &path);

} // namespace ItemDescription
