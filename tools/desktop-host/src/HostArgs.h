// Command line of the desktop host. No Windows headers: the arguments arrive as UTF-8.
//
//   --fixture <path>        fixture file (see Fixture.h); without it the desktop is empty
//   --shell                 let the platform's shell build the view (no fixture allowed)
//   --ready-event <name>    named event set once all windows and items exist
//   --control-title <name>  title of the control window (default kDefaultControlTitle)
//   --error-file <path>     where a start-up failure is described in UTF-8
#pragma once

#include <string>
#include <vector>

namespace kvhost {

constexpr const char* kDefaultControlTitle = "Kavrilon desktop host";

struct HostArgs {
    std::string fixturePath;
    bool shellMode = false;
    std::string readyEvent;
    std::string controlTitle = kDefaultControlTitle;
    std::string errorFile;
};

struct HostArgsResult {
    bool ok = false;
    HostArgs args;
    std::string error;
};

// `args` excludes the program name.
HostArgsResult ParseHostArgs(const std::vector<std::string>& args);

} // namespace kvhost
