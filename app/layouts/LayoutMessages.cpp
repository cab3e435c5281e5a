#include "LayoutMessages.h"

#include <windows.h>

#include "Language.h"
#include "MessageBox.h"
#include "ProcessState.h"

void ShowDesktopNotFound(const std::string& locateError) {
    const std::string text = FormatFirst(
        LangPick("Desktop nicht gefunden!\r\nFehlercode: %s", "Desktop not found!\r\nError code: %s"),
        locateError);
    AppMessageBox(OwnerWindow, text, ErrorCaption(), MB_ICONHAND, false);
}

void ShowDesktopNotResponding() {
    AppMessageBox(OwnerWindow,
                  LangPick("Der Desktop antwortet nicht!\r\nDie Aktion wurde abgebrochen.",
                           "The desktop does not respond!\r\nThe action was cancelled."),
                  ErrorCaption(), MB_ICONHAND, false);
}

void ShowUndoFailed(const std::string& path) {
    AppMessageBox(OwnerWindow,
                  LangPick("Das vorherige Layout konnte nicht wiederhergestellt werden.\rEs bleibt als "
                           "Backup erhalten:\r\r",
                           "The previous layout could not be put back.\rIt is kept as a backup:\r\r") +
                      path,
                  ErrorCaption(), MB_ICONHAND, false);
}

std::string LayoutReadErrorText(int32_t code, const std::string& path) {
    std::string kind;
    if (code >= 1 && code <= 3) {
        kind = LangPick("Dateistruktur", "Corrupt file");
    } else if (code == 4) {
        kind = LangPick("E/A-Fehler", "I/O error");
    }
    // The path is put in as it is: a "%s" in a file name must not receive the code.
    return kind + ": " + LangPick("Fehler beim \326ffnen der Datei\r\r", "Error opening\r\r") + path +
           "\r\r" + FormatFirst(LangPick("Fehlercode %s", "Error code %s"), std::to_string(code));
}

void ShowLayoutReadError(int32_t code, const std::string& path) {
    AppMessageBox(OwnerWindow, LayoutReadErrorText(code, path), ErrorCaption(), MB_ICONHAND, false);
}

void ShowIconsLeftInPlace(size_t count) {
    const std::string text =
        count == 1 ? LangPick("1 Icon blieb an seinem Platz, weil seine gespeicherte Position auf keinem "
                              "Monitor der aktuellen Bildschirmkonfiguration liegt.",
                              "1 icon was left in place because its stored position lies on no monitor of "
                              "the current display configuration.")
                   : FormatFirst(LangPick("%s Icons blieben an ihrem Platz, weil ihre gespeicherten "
                                          "Positionen auf keinem Monitor der aktuellen "
                                          "Bildschirmkonfiguration liegen.",
                                          "%s icons were left in place because their stored positions lie "
                                          "on no monitor of the current display configuration."),
                                 std::to_string(count));
    AppMessageBox(OwnerWindow, text, TitleCaption(4001), MB_ICONINFORMATION, false);
}

void ShowWriteError(const std::string& path) {
    AppMessageBox(OwnerWindow, LangPick("E/A-Fehler beim Sichern in:\r\r", "I/O error saving to:\r\r") + path,
                  ErrorCaption(), MB_ICONHAND, false);
}

bool BackupFailedQuery(int verbIndex) {
    if (SavingAtLogoff) {
        return true;
    }
    const std::string verb =
        verbIndex == BackupFailedRestore ? LangPick("restaurieren", "Restore") : LangPick("sichern", "Save");
    const std::string text =
        FormatFirst(LangPick("Das Anlegen eines Backups ist fehlgeschlagen!\r\rLayout trotzdem %s?",
                             "Creating a backup failed!\r\r%s anyway?"),
                    verb);
    // In silent command-line mode the message box answers Yes without showing anything.
    return AppMessageBox(OwnerWindow, text, ErrorCaption(), MB_YESNO | MB_ICONHAND, false) == IDYES;
}
