#include "BenchLayout.h"

#include <cstdio>

#include "BackupStore.h"
#include "DesktopLocate.h"
#include "LayoutFile.h"

bool WriteShiftedLayout(kvtest::DesktopHost& host, const std::string& path, int32_t shift) {
    kvtest::DesktopHostState state;
    if (!host.QueryState(state)) {
        return false;
    }
    const TScreenRect origin = GetVirtualScreenRect();
    std::string text = LayoutHeaderLines(ResolutionKey(), TimeStamp());
    for (const kvtest::HostItem& item : state.items) {
        text += LayoutEntryLine(item.x + shift + origin.Left, item.y + shift + origin.Top,
                                kvtest::DesktopHost::Narrow(item.caption));
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

bool StartGeneratedDesktop(kvtest::DesktopHost& host, unsigned icons) {
    kvtest::DesktopHostOptions options;
    options.generatedCount = icons;
    if (!host.Start({}, options)) {
        std::fprintf(stderr, "the desktop host did not start: %s\n", host.LastError().c_str());
        return false;
    }
    return true;
}
