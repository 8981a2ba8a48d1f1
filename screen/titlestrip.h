#pragma once
// The strip at the top of the main screen that says what is on the screen:
// the project and the hole of the test, the reviewed file's name, or, just
// after saving, the file written.

#include "ctrlinfo.h"

#include <QString>

struct TitleStripSource {
    QString openFile;  // the reviewed file, empty when none
    QString savedFile; // the file the last save wrote, until the next test
    QString dataDir;   // the folder of the project folders
};

// "工程：P　孔号：Z1" for a test, "工程：P　文件：Z1-2.CZO" for a reviewed file,
// "已保存：<path>" after a save (the path below the data folder when it lies
// there, else in full).
QString titleStripText(const CtrlInfo &record, const TitleStripSource &source);
