#pragma once
// The command-line grammar of the main program: argument normalisation, the switches, and the walk
// over the verbs with the arguments each verb consumes. Includes no Windows header.

#include <string>
#include <string_view>
#include <vector>

#include "BackupRules.h"
#include "CommandTable.h"

// Upper-cases "a".."z" (nothing else) and then removes one leading "-", "/" or "\".
std::string NormalizeArgument(std::string_view raw);

enum class TSwitch { None, Tray, Dlg, NoSplash, Port };

// Which switch a normalised argument is, compared as a whole.
TSwitch SwitchOf(std::string_view normalized);

struct TCommandArgument {
    std::string Raw;        // as typed: file names are taken from here
    std::string Normalized; // NormalizeArgument(Raw): verbs, switches, backup ids
};

std::vector<TCommandArgument> MakeCommandArguments(const std::vector<std::string>& raw);

// A verb of the command line: the command it names (see CommandTable) and what it consumed.
struct TVerbCall {
    TCommand Command;
    // The consumed argument, as the command's TVerbArgument says; empty when the verb was the last
    // argument (a verb whose argument is required then yields no call at all).
    std::string Argument;
};

// The verbs of a command line in order, each with the argument it consumes. Switches and any other
// text that is no verb are walked over; a consumed argument is never read as a verb itself.
std::vector<TVerbCall> WalkVerbs(const std::vector<TCommandArgument>& arguments);
