// Feeds arbitrary bytes to the layout reader and checks what every reading must hold: a known
// result code; after a complete read, captions without line breaks; entries that survive being
// written with the program's own line writers and read again; and a caption lookup that gives
// every entry out exactly once, in file order. The same bytes, cut at NUL bytes into arguments, go
// through the command-line grammar and the backup-id rule: a backup id that is accepted never
// names a file outside the archive folder.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "BackupRules.h"
#include "CommandLineRules.h"
#include "LayoutFile.h"

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "layout reader invariant broken: %s\n", what);
        std::abort();
    }
}

void CheckCommandLine(std::string_view bytes) {
    std::vector<std::string> raw;
    size_t start = 0;
    while (start <= bytes.size() && raw.size() < 64) {
        const size_t end = std::min(bytes.find('\0', start), bytes.size());
        raw.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    const std::vector<TCommandArgument> arguments = MakeCommandArguments(raw);
    Check(arguments.size() == raw.size(), "arguments lost by normalising");
    const std::vector<TVerbCall> calls = WalkVerbs(arguments);
    Check(calls.size() <= arguments.size(), "more verbs than arguments");
    const std::string folder = BackupFolderPath("C:\\Data\\", "1280x1024");
    for (const TVerbCall& call : calls) {
        if (call.Command != TCommand::RestoreBackup || !IsValidBackupId(call.Argument)) {
            continue;
        }
        const std::string path = BackupFilePath("C:\\Data\\", "1280x1024", call.Argument);
        Check(path.compare(0, folder.size(), folder) == 0, "backup path outside the archive");
        Check(path.find_first_of("/:", folder.size()) == std::string::npos &&
                  path.find('\\', folder.size()) == std::string::npos && path.find("..") == std::string::npos,
              "backup id reaches another folder");
        std::string id;
        Check(BackupIdOfFileName(call.Argument + ".kvl", id) && id == call.Argument,
              "an accepted id is not listed as itself");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckCommandLine(bytes);
    TLayoutContent layout = ReadLayoutBytes(bytes);
    const int32_t code = layout.Code;
    Check(code >= LayoutReadComplete && code <= LayoutReadError, "result code out of range");
    Check(code != LayoutReadError, "reading bytes reported a file error");
    Check(code != LayoutFileEmpty || size == 0, "code 1 for a file that is not empty");
    // The file reader decides on the signature from the first bytes alone.
    const int32_t early = LayoutSignatureCode(bytes.substr(0, LayoutSignatureBytes));
    Check(early == (code == LayoutFileEmpty || code == LayoutWrongSignature ? code : LayoutReadComplete),
          "the signature check on the first bytes disagrees with the whole reading");
    if (code != LayoutReadComplete) {
        return 0;
    }

    const std::vector<TItemProp> read = layout.Entries;
    const bool grid = layout.Grid;
    for (const TItemProp& entry : read) {
        Check(entry.Caption.find_first_of("\r\n") == std::string::npos, "caption holds a line break");
        Check(!entry.Matched, "entry matched right after reading");
    }

    std::string written = LayoutHeaderLines("1280x1024", "20081124093015");
    if (grid) {
        written += LayoutGridLine();
    }
    for (const TItemProp& entry : read) {
        written += LayoutEntryLine(entry.X, entry.Y, entry.Caption);
    }
    const TLayoutContent reread = ReadLayoutBytes(written);
    Check(reread.Code == LayoutReadComplete, "written entries do not read back");
    Check(reread.Grid == grid, "grid flag changed by writing and reading");
    Check(reread.Entries.size() == read.size(), "entry count changed by writing and reading");
    for (size_t i = 0; i < read.size(); ++i) {
        Check(reread.Entries[i].Caption == read[i].Caption, "caption changed by writing and reading");
        Check(reread.Entries[i].X == read[i].X && reread.Entries[i].Y == read[i].Y,
              "position changed by writing and reading");
    }

    // Looking up every caption in file order must hand out each entry itself, once.
    for (const TItemProp& entry : read) {
        TLayoutPoint point{entry.X ^ 1, entry.Y ^ 1};
        Check(TakeLayoutEntry(layout.Entries, entry.Caption, point), "an entry's caption was not found");
        Check(point.X == entry.X && point.Y == entry.Y, "lookup gave another entry's position");
    }
    if (!read.empty()) {
        TLayoutPoint point;
        Check(!TakeLayoutEntry(layout.Entries, read.front().Caption, point), "an entry was given out twice");
    }
    return 0;
}
