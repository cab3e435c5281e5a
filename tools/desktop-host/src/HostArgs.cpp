#include "HostArgs.h"

namespace kvhost {

HostArgsResult ParseHostArgs(const std::vector<std::string>& args) {
    HostArgsResult result;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string* target = nullptr;
        if (arg == "--shell") {
            result.args.shellMode = true;
            continue;
        }
        if (arg == "--fixture")
            target = &result.args.fixturePath;
        else if (arg == "--ready-event")
            target = &result.args.readyEvent;
        else if (arg == "--control-title")
            target = &result.args.controlTitle;
        else if (arg == "--error-file")
            target = &result.args.errorFile;
        if (target == nullptr) {
            result.error = "unknown argument '" + arg + "'";
            return result;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            result.error = arg + " needs a value";
            return result;
        }
        *target = args[++i];
    }
    if (result.args.shellMode && !result.args.fixturePath.empty()) {
        result.error = "--shell and --fixture exclude each other";
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace kvhost
