#pragma once
// The project folder of the test parameters names one folder directly inside
// the data folder. A name that could lead elsewhere (an absolute path, a
// parent step, a path separator) is never used, whether it was typed or read
// from a forged or damaged parameter file.

#include <QString>

// False for an absolute name or one holding "..", "/" or "\"; *why then says
// which (for the log).
bool isSafeProjectFolder(const QString &name, QString *why = nullptr);

// The project's folder inside dataDir, or an empty text for an unsafe name.
QString projectFolderPath(const QString &dataDir, const QString &name);
