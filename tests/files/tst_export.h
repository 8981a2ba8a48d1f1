#pragma once
#include <QObject>

class TestExport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void builtInLocations_data();
    void builtInLocations();
    void usbLocations_data();
    void usbLocations();
#ifndef ZPVW_INSTRUMENT_BUILD
    void developmentExportWritesIntoItsFolder();
#endif
    void noDeviceExportsNothing_data();
    void noDeviceExportsNothing();
    void oneFileRunsInOrder();
    void oneFileAgainAsks_data();
    void oneFileAgainAsks();
    void allFilesOfProject();
    void allFilesSkipsRefusedFile();
    void oneProjectCopiesOnlyHoleFiles();
    void projectSummaryMadeAndCarried();
    void existingProject_data();
    void existingProject();
    void allProjects();
    void failureIsReportedAndDiskUnmounted_data();
    void failureIsReportedAndDiskUnmounted();
    void unmountFailureIsReported();
};
