#pragma once
// Runs an installation the way the window would: a click, then the UI
// thread's messages until the worker has ended.
#include "app/form/form_timer.h"
#include "app/install/installation.h"
#include "app/installer_texts.h"
#include "tests/install/recording_ui.h"
#include "tests/support/test_env.h"

namespace qwtest {

struct InstallRun {
  explicit InstallRun(ui::ByteView archive, app::install::InstallerHooks hooks = {})
      : installation(ui, texts, shortcutTimer, archive, std::move(hooks)) {}

  // Clicks install and pumps until the worker has reported its end and the
  // installation has finished or failed (or the click did not start one).
  // False when that did not happen in time.
  bool ClickInstallAndWait() {
    installation.OnInstallClick();
    return PumpUntil([&] { return !installation.WorkerRunning() && !installation.Busy(); }, 60000);
  }
  // Pumps until the shortcut timer has run (it stops itself).
  bool WaitForShortcuts() {
    return PumpUntil([&] { return shortcutTimer.Interval() == 0; }, 20000);
  }

  RecordingUi ui;
  app::InstallerTexts texts;
  app::form::FormTimer shortcutTimer;
  app::install::Installation installation;
};

}  // namespace qwtest
