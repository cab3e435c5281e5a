#include "FileOperations.h"

#include <windows.h>
#include <shellapi.h>

int SilentFileOperation(unsigned function, const std::string& from, const std::string& to) {
    // Both lists end with a second NUL character, which std::string's terminator and the one
    // appended here provide.
    const std::string fromList = from + '\0';
    const std::string toList = to + '\0';
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = function;
    operation.pFrom = fromList.c_str();
    operation.pTo = to.empty() ? nullptr : toList.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationA(&operation);
}
