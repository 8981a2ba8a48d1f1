#pragma once
#include <QObject>

class TestSaveMsg : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void savesWithProgress();
    void secondSavePressDoesNothing();
    void noSamplesAsks_data();
    void noSamplesAsks();
    void discardRemovesBothFiles_data();
    void discardRemovesBothFiles();
    void discardRefusedKeepsEverything();
    void returnToTest();
    void returnNeedsAllowReturn();
    void failedSaveKeepsTest_data();
    void failedSaveKeepsTest();
    void saveNeverLeavesDataFolder_data();
    void saveNeverLeavesDataFolder();
};
