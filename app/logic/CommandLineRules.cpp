#include "CommandLineRules.h"

namespace {

struct TVerbName {
    std::string_view Name;
    TVerb Verb;
    bool ConsumesNext;
};

// In the order in which they are tested; the first match wins.
constexpr TVerbName VerbTable[] = {
    {"H", TVerb::Handle, true},          {"RP", TVerb::RestorePrimary, false},
    {"R", TVerb::RestorePrimary, false}, {"SP", TVerb::SavePrimary, false},
    {"S", TVerb::SavePrimary, false},    {"RF", TVerb::RestoreFile, true},
    {"SF", TVerb::SaveFile, true},       {"RFX", TVerb::RestoreFileAsk, false},
    {"SFX", TVerb::SaveFileAsk, false},  {"O", TVerb::Options, false},
    {"X", TVerb::DeleteBackups, false},  {"RB", TVerb::RestoreBackup, true},
};

} // namespace

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

std::vector<TVerbCall> WalkVerbs(const std::vector<TCommandArgument>& arguments) {
    std::vector<TVerbCall> calls;
    for (size_t index = 0; index < arguments.size(); ++index) {
        const std::string& word = arguments[index].Normalized;
        const TVerbName* match = nullptr;
        for (const TVerbName& entry : VerbTable) {
            if (word == entry.Name) {
                match = &entry;
                break;
            }
        }
        if (match == nullptr) {
            continue;
        }
        if (!match->ConsumesNext) {
            calls.push_back({match->Verb, {}});
            continue;
        }
        const bool hasNext = index + 1 < arguments.size();
        if (!hasNext) {
            // H without a handle does nothing; RF and SF go on with an empty file name (the file
            // dialog asks), RB with an empty id (nothing is restored).
            if (match->Verb != TVerb::Handle) {
                calls.push_back({match->Verb, {}});
            }
            continue;
        }
        ++index;
        const TCommandArgument& next = arguments[index];
        const bool takenAsTyped = match->Verb == TVerb::RestoreFile || match->Verb == TVerb::SaveFile;
        calls.push_back({match->Verb, takenAsTyped ? next.Raw : next.Normalized});
    }
    return calls;
}
