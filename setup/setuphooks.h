#pragma once
// Hooks through which the set-up dialogs reach the main dialog.
//
// This folder sits below the measurement screen and must not include its
// headers, so the main dialog installs these once it is built (typically in
// its constructor, right where it sets gMainDlg):
//
//     SetupHooks::setupPaceTimer = [this]() { SetupPaceTimer(); };
//
// and clears them again in its destructor:
//
//     SetupHooks::setupPaceTimer = nullptr;
//
// setupPaceTimer: CDlgSet calls it after an accepted set-up has been stored
// into gCtrlInfo, so that the pace timer, the device channel and the move
// button follow the new sampling mode and move distance. Unset, nothing is
// called (a set-up dialog run on its own, as in tests).

#include <functional>

namespace SetupHooks {
extern std::function<void()> setupPaceTimer;

// Calls setupPaceTimer when it is set.
void callSetupPaceTimer();
} // namespace SetupHooks
