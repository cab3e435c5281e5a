#include "RegUtilArgs.h"

namespace {

bool IsSeparator(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// Reads one parameter from `position` and leaves `position` behind it; empty at the end.
std::string NextParameter(std::string_view text, size_t& position) {
    for (;;) {
        while (position < text.size() && IsSeparator(text[position])) {
            ++position;
        }
        if (text.compare(position, 2, "\"\"") == 0) {
            position += 2;
            continue;
        }
        break;
    }
    std::string parameter;
    while (position < text.size() && !IsSeparator(text[position])) {
        if (text[position] == '"') {
            ++position;
            while (position < text.size() && text[position] != '"') {
                parameter += text[position++];
            }
            if (position < text.size()) {
                ++position; // the closing quote
            }
        } else {
            parameter += text[position++];
        }
    }
    return parameter;
}

} // namespace

std::string CommandLineParameter(std::string_view commandLine, int index) {
    // A NUL ends the text as it ends a C string.
    commandLine = commandLine.substr(0, commandLine.find('\0'));
    size_t position = 0;
    std::string parameter;
    for (int i = 0; i <= index; ++i) {
        parameter = NextParameter(commandLine, position);
        if (parameter.empty() && position >= commandLine.size()) {
            return {};
        }
    }
    return parameter;
}

TRegUtilOperation OperationOfParameter(std::string_view parameter) {
    if (parameter == "r") {
        return RegUtilRegister;
    }
    if (parameter == "u") {
        return RegUtilUnregister;
    }
    return RegUtilNothing;
}
