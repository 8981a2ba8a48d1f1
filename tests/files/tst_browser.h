#pragma once
#include <QObject>

class TestBrowser : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void geometryFollowsScreen_data();
    void geometryFollowsScreen();
    void pagingSixteenProjects();
    void exactlyFifteenFilesIsOnePage();
    void listingFilters_data();
    void listingFilters();
    void missingDataDirectoryShowsNothing();
    void chooserTexts();
    void chooserReturnsAction_data();
    void chooserReturnsAction();
    void openFileForReview();
    void chooserReturnChangesNothing();
    void deleteFileWithReport_data();
    void deleteFileWithReport();
    void deleteRefusedKeepsFiles();
    void deletingLastItemStepsBackAPage();
    void closesReviewedFileBeforeDelete_data();
    void closesReviewedFileBeforeDelete();
    void deleteAllProjects();
    void deleteAllOfProjectReturnsToRememberedPage();
    void deleteAllThroughLinkedDataDirectory();
    void deleteNeverLeavesDataDirectory_data();
    void deleteNeverLeavesDataDirectory();
    void removeTreeRefusesOutsidePaths_data();
    void removeTreeRefusesOutsidePaths();
    void repeatTestsShowOneButtonPerHole();
    void deletingLatestTestShowsEarlierVerdict();
    void holeListGrouping_data();
    void holeListGrouping();
};
