#pragma once
// Reading a text value from the registry. Only advapi32 functions that every 32-bit Windows has.

#include <windows.h>

#include <string>

// Reads the value `name` of an open key as text: its data up to the first zero byte, so that a
// value stored with its terminating zero loses nothing but the zero, and one stored without it
// keeps all its bytes. `type`, when given, receives the value's type. False when the value is
// missing or cannot be read (`text` is then empty).
bool ReadRegistryText(HKEY key, const char* name, std::string& text, DWORD* type = nullptr);
