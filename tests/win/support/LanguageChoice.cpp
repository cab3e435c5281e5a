#include "LanguageChoice.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "ProcessRunner.h"
#include "TestEnvironment.h"

std::string SystemLocaleLanguageName() {
    char name[16] = {};
    GetLocaleInfoA(0x0800, 0x80000003, name, sizeof(name));
    return name;
}

std::string LanguageWrittenAfterStart(const char* storedValue) {
    RemoveKavrilonData();
    const std::string options = KavrilonDataFolder() + "Options.ini";
    CreateDirectoryA((ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Quellwyn").c_str(), nullptr);
    CreateDirectoryA(KavrilonDataFolder().c_str(), nullptr);
    std::string content = "[Opt]\r\nQuerySave=1\r\n";
    if (storedValue != nullptr) {
        content += std::string("Language=") + storedValue + "\r\n";
    }
    EXPECT_TRUE(WriteFileBytes(options, content));

    const TRunResult run = RunKavrilon({"--S"});
    EXPECT_FALSE(run.TimedOut) << run.WindowsDescription;
    EXPECT_EQ(run.ExitCode, 0u);
    std::string written = "<missing>";
    for (const std::string& line : ReadLines(options)) {
        if (line.rfind("Language=", 0) == 0) {
            written = line.substr(9);
        }
    }
    RemoveKavrilonData();
    return written;
}
