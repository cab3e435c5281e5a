#include "FolderTrust.h"

#include <gtest/gtest.h>

namespace {

TEST(FolderTrust, AFolderLiesWithinABaseOnlyByWholeComponents) {
    const struct {
        const char* Folder;
        const char* Base;
        bool Within;
    } cases[] = {
        {"C:\\Program Files\\Kavrilon\\", "C:\\Program Files", true},
        {"C:\\Program Files\\Kavrilon\\", "C:\\Program Files\\", true},
        {"C:\\Program Files\\", "C:\\Program Files", true}, // the base itself
        {"c:\\program files\\kavrilon\\", "C:\\Program Files", true},
        {"C:\\Program Files\\.\\Kavrilon\\", "C:\\Program Files", true},
        {"C:\\Program Files\\\\Kavrilon", "C:\\Program Files", true},
        {"C:/Program Files/Kavrilon/", "C:\\Program Files", true},
        {"C:\\Windows\\Kavrilon\\", "C:\\Windows", true},
        // Prefix tricks: a folder whose name starts like the base is not inside it.
        {"C:\\Program Files Evil\\", "C:\\Program Files", false},
        {"C:\\Program Files (x86)Evil\\", "C:\\Program Files (x86)", false},
        {"C:\\Program Files.\\", "C:\\Program Files", false},
        {"C:\\Program Files \\", "C:\\Program Files", false},
        // ".." leaves the base.
        {"C:\\Program Files\\..\\Users\\Bob\\Downloads\\", "C:\\Program Files", false},
        {"C:\\Program Files\\Kavrilon\\..\\..\\Temp\\", "C:\\Program Files", false},
        {"C:\\Users\\..\\Program Files\\Kavrilon\\", "C:\\Program Files", true},
        {"C:\\..\\..\\Program Files\\", "C:\\Program Files", false},
        // Other drives, network paths, parents of the base, nothing.
        {"D:\\Program Files\\Kavrilon\\", "C:\\Program Files", false},
        {"\\\\server\\C$\\Program Files\\Kavrilon\\", "C:\\Program Files", false},
        {"C:\\", "C:\\Program Files", false},
        {"C:\\Users\\Bob\\Downloads\\", "C:\\Program Files", false},
        {"", "C:\\Program Files", false},
        {"C:\\Program Files\\Kavrilon\\", "", false},
        {"C:\\Program Files\\Kavrilon\\", "\\", false},
        // Only A-Z fold: other letters must match byte for byte.
        {"C:\\PROGRAMME\\K\\", "C:\\Programme", true},
        {"C:\\ARCHIVOS DE PROGRAMA\\", "C:\\Archivos de programa", true},
        {"C:\\Pr\xD6gramme\\", "C:\\Pr\xF6gramme", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderLiesWithin(c.Folder, c.Base), c.Within) << c.Folder << " in " << c.Base;
    }
}

} // namespace
