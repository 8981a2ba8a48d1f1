#pragma once
// Calls from the file dialogs back into the main measurement dialog.
//
// The file dialogs cannot see the main dialog (it links them, not the other
// way round), so the main dialog hands in these operations. It fills the
// process-wide gMainDlgHooks once, at the end of its constructor; every
// CDlgExportFile and CDlgSaveMsg copies it into its member `mainDialog` when
// it is built, and a caller (or a test) may replace single hooks afterwards.
// A hook left empty is skipped.
//
// What each hook must do on the main dialog's side:
//   openFileForReview(path)  OpenFileForReview: load the hole file and show it
//                            for review (the browser closes itself afterwards).
//   closeReviewedFile()      CloseReviewedFile: close the reviewed file without
//                            asking; nothing when no file is open.
//   openFilePath()           path of the file shown for review (m_strOpenFile),
//                            empty when none; the browser closes that file
//                            before it deletes it or a folder holding it.
//   restartAcquisition()     RestartAcquisition (after a save).
//   resetTest()              ResetTest (after a save; empties the samples).
//   restoreSetupAndRestart() RestoreSetupAndRestart (after a discard).
//   pauseAcquisition()       request a pause of the acquisition thread.
//   resumeAcquisition()      clear the thread's pause request.
//   stopAcquisition()        request a stop of the acquisition thread.
//
// After a completed save the save dialog also posts an event of type
// SaveDoneEventType (1007) to its parent widget, on which the main dialog
// redraws the curve and the table.

#include <QEvent>
#include <QString>
#include <functional>

struct CMainDlgHooks {
    std::function<void(const QString &path)> openFileForReview;
    std::function<void()> closeReviewedFile;
    std::function<QString()> openFilePath;

    std::function<void()> restartAcquisition;
    std::function<void()> resetTest;
    std::function<void()> restoreSetupAndRestart;
    std::function<void()> pauseAcquisition;
    std::function<void()> resumeAcquisition;
    std::function<void()> stopAcquisition;

    // Calls a hook when it is set.
    static void call(const std::function<void()> &hook)
    {
        if (hook)
            hook();
    }
};

extern CMainDlgHooks gMainDlgHooks;

constexpr QEvent::Type SaveDoneEventType = QEvent::Type(1007);
