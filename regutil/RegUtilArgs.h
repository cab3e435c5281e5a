#pragma once
// The command line of the registration utility. Includes no Windows header.

#include <string>
#include <string_view>

enum TRegUtilOperation {
    RegUtilNothing,    // no parameter, or one that is not recognised
    RegUtilRegister,   // "r"
    RegUtilUnregister, // "u"
};

// The parameter at `index` of a whole command line (index 0 is the program itself), split by the
// classic start-up rule: characters up to code 32 separate parameters, double quotes group
// characters and are removed, and an empty pair of double quotes at the start of a parameter is
// skipped. Empty when there is no such parameter.
std::string CommandLineParameter(std::string_view commandLine, int index);

// The operation that a first parameter names: exactly "r" or "u", byte for byte.
TRegUtilOperation OperationOfParameter(std::string_view parameter);
