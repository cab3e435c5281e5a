#include "Language.h"

#include "ProcessState.h"

std::string LangText(int32_t id) {
    return LangTextFor(id, ProgramOptions.Language);
}

std::string LangPick(std::string_view german, std::string_view english) {
    return PickLanguage(german, english, ProgramOptions.Language);
}

std::string ApplyCaseMarks(std::string_view text, TCaseMode mode) {
    return ApplyCaseMarksFor(text, mode, RunningWindows.IsVistaFamily);
}

std::string TitleCaption(int32_t textId) {
    return "Kavrilon - " + StripAccelerators(ApplyCaseMarks(LangText(textId), CaseUpper));
}

std::string ErrorCaption() {
    return "Kavrilon - " + LangPick("Fehler", "Error");
}
