#pragma once
// Whether a folder lies inside another one, for deciding where the shell extension may be
// registered for every user. Includes no Windows header.

#include <string_view>

// True when `folder` is `base` or lies below it. Both are compared component by component: "\" and
// "/" separate components, empty and "." components are dropped, ".." drops the component before
// it, and letters A-Z compare without regard to case. So "C:\Program Files Evil\" does not lie
// below "C:\Program Files\", while "C:\Program Files\.\Kavrilon\" does. A ".." above the first
// component, or an empty path on either side, gives false. Short names are not resolved here: the
// caller passes full long paths.
bool FolderLiesWithin(std::string_view folder, std::string_view base);
