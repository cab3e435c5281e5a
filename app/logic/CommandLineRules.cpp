#include "CommandLineRules.h"

std::string NormalizeArgument(std::string_view raw) {
    std::string result(raw);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (!result.empty() && (result[0] == '-' || result[0] == '/' || result[0] == '\\')) {
        result.erase(0, 1);
    }
    return result;
}

TSwitch SwitchOf(std::string_view normalized) {
    if (normalized == "TRAY") {
        return TSwitch::Tray;
    }
    if (normalized == "DLG") {
        return TSwitch::Dlg;
    }
    if (normalized == "NOSPLASH") {
        return TSwitch::NoSplash;
    }
    if (normalized == "PORT") {
        return TSwitch::Port;
    }
    return TSwitch::None;
}

std::vector<TCommandArgument> MakeCommandArguments(const std::vector<std::string>& raw) {
    std::vector<TCommandArgument> arguments;
    arguments.reserve(raw.size());
    for (const std::string& text : raw) {
        arguments.push_back({text, NormalizeArgument(text)});
    }
    return arguments;
}

namespace {

// The command whose verb a normalised argument is, compared as a whole; nullptr for none.
const TCommandRecord* CommandOfVerb(const std::string& word) {
    for (const TCommandRecord& record : CommandTable) {
        for (std::string_view spelling : {record.Verb, record.OtherVerb}) {
            if (!spelling.empty() && NormalizeArgument(spelling) == word) {
                return &record;
            }
        }
    }
    return nullptr;
}

} // namespace

std::vector<TVerbCall> WalkVerbs(const std::vector<TCommandArgument>& arguments) {
    std::vector<TVerbCall> calls;
    for (size_t index = 0; index < arguments.size(); ++index) {
        const TCommandRecord* match = CommandOfVerb(arguments[index].Normalized);
        if (match == nullptr) {
            continue;
        }
        if (match->Argument == TVerbArgument::None) {
            calls.push_back({match->Command, {}});
            continue;
        }
        const bool hasNext = index + 1 < arguments.size();
        if (!hasNext) {
            // H without a handle does nothing; RF and SF go on with an empty file name (the file
            // dialog asks), RB with an empty id (nothing is restored).
            if (match->Argument != TVerbArgument::Required) {
                calls.push_back({match->Command, {}});
            }
            continue;
        }
        if (match->Argument == TVerbArgument::Optional &&
            (CommandOfVerb(arguments[index + 1].Normalized) != nullptr ||
             SwitchOf(arguments[index + 1].Normalized) != TSwitch::None)) {
            calls.push_back({match->Command, {}});
            continue;
        }
        ++index;
        const TCommandArgument& next = arguments[index];
        calls.push_back({match->Command, match->Argument == TVerbArgument::AsTyped ||
                                                 match->Argument == TVerbArgument::Optional
                                             ? next.Raw
                                             : next.Normalized});
    }
    return calls;
}
