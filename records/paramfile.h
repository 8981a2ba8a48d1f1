#pragma once
// The test-parameter file "ZPV_CZL.ini" beside the executable: the
// operator's last set-up (project and hole information, sampling parameters,
// display colours and fonts), kept across restarts in Qt's data stream of
// stream version 7 (Qt 4.0), big-endian. The set-up's acceptance basis and
// measuring position follow the last item of that layout, where its readers
// have stopped reading.
//
// How to use it:
//   - While the main dialog is built:   loadTestParams(record);
//   - After an accepted set-up:          saveTestParams(record);

#include "ctrlinfo.h"

#include <QString>

// Full path of the test-parameter file.
QString testParamFilePath();

// Sets info.dataDir (creating the folder when missing) and loads the file
// into info. A missing, unreadable or cut-short file gives the defaults
// (returns 1); a file of another layout version is deleted and gives the
// defaults (returns -1). A file whose project folder could lead outside the
// data folder (isSafeProjectFolder) gives the defaults too, with a warning in
// the log. After a load brightness and the screen-saver delay
// follow the basic configuration, and the fonts follow info.largeScreen.
int loadTestParams(CtrlInfo &info);

// Writes the persisted part of info. The file is replaced as a whole, so an
// interruption leaves the previous version. Returns false when it could not
// be written.
bool saveTestParams(const CtrlInfo &info, QString *errorMessage = nullptr);
