#pragma once
// The steps that the save and the restore actions share inside this folder: the results of their
// steps and the reporting of them.

#include <cstdint>
#include <string>

#include "DesktopCapture.h"
#include "DesktopSession.h"

// Messages and questions may be shown: outside the command line, or with the DLG switch.
bool MessagesShown();

// The exit code of a desktop session's status: 0 when ready, 2 otherwise.
int32_t ExitCodeOf(TDesktopStatus status);
// "Desktop not found" (with the search's diagnostic) or "The desktop does not respond"; nothing for
// a missing buffer.
void ReportDesktopStatus(const TDesktopReport& report);

enum class TSaveResult { Saved, Cancelled, WriteFailed };
struct TSaveOutcome {
    TSaveResult Result = TSaveResult::Cancelled;
    std::string Path; // the target
};

// Writes a capture to the target of the save kind (no message, exit code untouched); a file save
// writes to `chosenFile`.
TSaveOutcome WriteCapture(int kind, const TDesktopCapture& capture, const std::string& key,
                          const std::string& chosenFile = {});
// Shows the notice or the write error as the kind asks and sets the exit code; the result is
// SaveLayout's (false only after a write error).
bool FinishSave(int kind, const TSaveOutcome& outcome, const std::string& key);
