#include "RegistryText.h"

#include <vector>

bool ReadRegistryText(HKEY key, const char* name, std::string& text, DWORD* type) {
    text.clear();
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) {
        return false;
    }
    // One byte more than the value holds, zero: the text ends even when the value has no zero.
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    text = buffer.data();
    return true;
}
