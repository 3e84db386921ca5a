#pragma once
// Which short text the failure balloon shows: "download error" only for a failed download; a
// failure after it says what happened (the log keeps the detail).

#include "updater/delivery/download.h"
#include "updater/install/install.h"
#include "updater/ui_texts.h"

TextId DownloadFailureText(DownloadOutcome outcome);
TextId InstallFailureText(InstallResult result);
