#include "TextRules.h"

std::string ApplyCaseMarksFor(std::string_view text, TCaseMode mode, bool isVistaFamily) {
    if (mode == CaseAuto) {
        mode = isVistaFamily ? CaseKeep : CaseUpper;
    }
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '#' && i + 1 < text.size()) {
            c = text[++i];
            if (mode == CaseUpper && c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        result += c;
    }
    return result;
}

std::string StripAccelerators(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c != '&') {
            result += c;
        }
    }
    return result;
}

std::string FormatFirst(std::string_view text, std::string_view argument) {
    const size_t at = text.find("%s");
    if (at == std::string_view::npos) {
        return std::string(text);
    }
    std::string result(text.substr(0, at));
    result += argument;
    result += text.substr(at + 2);
    return result;
}
