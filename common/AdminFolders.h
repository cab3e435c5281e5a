#pragma once
// The folders that only administrators can change: where a copy of the programs may lie to be
// registered for every user. Shares the registration utility's floor (see ShellExtRegistry.h).

#include <string>

// A path in its full long form: "." and ".." resolved, relative parts made absolute, short (8.3)
// names replaced by the long ones where the system can say them (Windows 98 and 2000 on); a
// trailing "\" stays. Empty when the path cannot be resolved (for example when it does not exist).
std::string FullLongPath(const std::string& path);

// `folder` (a full path) lies in the Program Files folder, in the 64-bit Program Files folder of a
// 64-bit Windows, or in the Windows folder, all compared in their full long forms.
bool IsAdminOnlyFolder(const std::string& folder);
