// The demo of the main job: a desktop played by the desktop host in shell mode (the platform's own
// desktop view listing the files on the Desktop folder), saved with "Kavrilon.exe /s", scrambled,
// and restored with "Kavrilon.exe /r". Prints the icon positions before, scrambled and restored,
// and writes a screenshot of each stage (BMP) into the given folder.
//
// Usage: kv-demo-driver <Kavrilon.exe> <screenshot folder>
// Exit code 0 when every icon is back where it was.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "DesktopHostClient.h"
#include "ProcessRunner.h"

namespace {

// The screen as it is, into a 24-bit BMP file.
bool SaveScreenshot(const std::string& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    std::vector<char> pixels(stride * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&info, sizeof(info), 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

// Lets the host's view paint before a screenshot.
void LetItPaint() {
    Sleep(700);
}

std::string Position(const kvtest::HostItem& item) {
    return std::to_string(item.x) + "," + std::to_string(item.y);
}

int RunKavrilon(const std::string& exe, const char* verb) {
    const TRunResult run = RunProcess(exe, {verb}, 30000);
    if (run.TimedOut) {
        std::printf("Kavrilon.exe %s did not end: %s\n", verb, run.WindowsDescription.c_str());
        return -1;
    }
    std::printf("Kavrilon.exe %-3s  exit code %lu\n", verb, static_cast<unsigned long>(run.ExitCode));
    return static_cast<int>(run.ExitCode);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: kv-demo-driver <Kavrilon.exe> <screenshot folder>\n");
        return 2;
    }
    const std::string kavrilon = argv[1];
    std::string shots = argv[2];
    if (!shots.empty() && shots.back() != '\\') {
        shots += '\\';
    }

    kvtest::DesktopHost host;
    if (!host.StartShell()) {
        std::printf("The desktop host did not start: %s\n", host.LastError().c_str());
        return 1;
    }
    LetItPaint();
    kvtest::DesktopHostState before, scrambled, restored;
    host.QueryState(before);
    SaveScreenshot(shots + "1-before.bmp");

    if (RunKavrilon(kavrilon, "/s") != 0) {
        return 1;
    }

    // Like a user dragging icons around: auto-arrange off, then every icon somewhere else.
    if ((before.listViewStyle & LVS_AUTOARRANGE) != 0) {
        SendMessageA(before.progman.handle, WM_COMMAND, 0x7071, 0);
    }
    for (size_t i = 0; i < before.items.size(); ++i) {
        const int32_t x = 420 + static_cast<int32_t>((i * 7) % 5) * 150;
        const int32_t y = 120 + static_cast<int32_t>((i * 3) % 4) * 160;
        host.Move(static_cast<int>(i), x, y);
    }
    LetItPaint();
    host.QueryState(scrambled);
    SaveScreenshot(shots + "2-scrambled.bmp");

    if (RunKavrilon(kavrilon, "/r") != 0) {
        return 1;
    }
    LetItPaint();
    host.QueryState(restored);
    SaveScreenshot(shots + "3-restored.bmp");

    std::printf("\n%-24s %-12s %-12s %-12s\n", "Icon", "before", "scrambled", "restored");
    bool allBack = restored.items.size() == before.items.size();
    for (size_t i = 0; i < before.items.size() && i < scrambled.items.size() && i < restored.items.size();
         ++i) {
        const bool back =
            restored.items[i].x == before.items[i].x && restored.items[i].y == before.items[i].y;
        allBack = allBack && back;
        std::printf("%-24s %-12s %-12s %-12s %s\n",
                    kvtest::DesktopHost::Narrow(before.items[i].caption).c_str(),
                    Position(before.items[i]).c_str(), Position(scrambled.items[i]).c_str(),
                    Position(restored.items[i]).c_str(), back ? "back in place" : "NOT BACK");
    }
    std::printf("\n%s\n", allBack ? "Every icon is back where it was." : "Some icons are not back.");
    host.Stop();
    return allBack ? 0 : 1;
}
