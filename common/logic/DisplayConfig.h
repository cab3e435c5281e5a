#pragma once
// The display configuration: the active monitors with their identities, rectangles, work areas and
// DPIs; the storage key of a configuration; the comment line that records a configuration in a
// layout file; and the placement rules that depend on the monitors (does a position lie on a
// monitor, where does a new icon go that a restore has covered). Includes no Windows header; the
// snapshot of the running system is common/DisplaySnapshot.
//
// Coordinates. Rectangles, work areas and every position here are screen coordinates of the
// virtual desktop: the primary monitor's top-left corner is (0,0), monitors left of or above it
// have negative coordinates; right and bottom are exclusive. Layout files store icon positions in
// exactly these coordinates (the list view's item position plus the virtual screen's left and top:
// ViewToLayoutCoordinate), so a stored position is compared with the monitors as it is. A position
// is the upper-left corner of an icon's item, as the list view reports it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The DPI of 100 % scaling.
inline constexpr int32_t StandardDpi = 96;

struct TDisplayRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

bool operator==(const TDisplayRect& a, const TDisplayRect& b);

struct TDisplayPoint {
    int32_t X = 0;
    int32_t Y = 0;
};

struct TMonitor {
    // Stable across restarts and re-plugging: the EDID's manufacturer, product code and serial
    // (MonitorIdentityFromEdid), else the monitor's device path or device id. Never a
    // "\\.\DISPLAYn" name, which Windows hands out anew. Empty when the system tells nothing.
    std::string Identity;
    TDisplayRect Rect;
    TDisplayRect WorkArea;
    int32_t Dpi = StandardDpi;
    bool Primary = false;
};

struct TDisplayConfig {
    std::vector<TMonitor> Monitors; // in any order
};

// The bounding rectangle of all monitors: the virtual screen. Empty (all 0) without monitors.
TDisplayRect VirtualScreenOf(const TDisplayConfig& config);

// A configuration that keeps the plain resolution key: exactly one monitor, at StandardDpi.
bool IsPlainResolutionConfig(const TDisplayConfig& config);

// The canonical text of a configuration, from which its digest is taken: one line per monitor,
// sorted by identity, then left, top, right, bottom and DPI; each line is the escaped identity
// (EscapeMonitorIdentity), a tab, "left,top,right,bottom", a tab, the DPI and LF, numbers in
// decimal with "-" for negative values. Work areas and the primary flag are not part of it: a
// taskbar that moves changes no key, and the primary monitor is the one at (0,0).
std::string CanonicalDisplayText(const TDisplayConfig& config);

// 32-bit FNV-1a of the bytes.
uint32_t Fnv1a32(std::string_view bytes);

// The storage key of a configuration. A plain resolution configuration keeps the resolution key
// (ResolutionKeyOf of the virtual screen's size, the primary monitor's size as its fallback), so
// its files are those of earlier versions. Any other configuration gets that key, "_" and eight
// lower-case hexadecimal digits of Fnv1a32(CanonicalDisplayText), e.g. 2304x1024_0c5e19a7: safe in
// a file name, stable across runs and monitor order.
std::string DisplayConfigKey(const TDisplayConfig& config);

// Whether two configurations place monitors of the same sizes at the same places: the same number
// of monitors and the same rectangles (in any order). Identities, DPIs and work areas do not
// matter; an icon position means the same on both. False when either has no monitor.
bool SameArrangement(const TDisplayConfig& a, const TDisplayConfig& b);

// The identity as it stands in the canonical text and the layout comment line: every byte below
// 0x21 or above 0x7E and every "%", ";" and "*" becomes "%" and two upper-case hexadecimal digits;
// an empty identity becomes "*". UnescapeMonitorIdentity reverses it (false on a malformed text).
std::string EscapeMonitorIdentity(std::string_view identity);
bool UnescapeMonitorIdentity(std::string_view text, std::string& identity);

// The comment line that records a configuration in a layout file, with its CR LF end. Layout
// readers skip it like every line that begins with "#":
//   "# Display " monitor { "; " monitor }
//   monitor = left top right bottom workLeft workTop workRight workBottom dpi ("P" | "-") identity
// single blanks between the fields, monitors in the order of the canonical text, the identity
// escaped. For example "# Display 0 0 1280 1024 0 0 1280 984 96 P DEL40F5-4A3B; ...".
std::string DisplayConfigLine(const TDisplayConfig& config);

// Parses such a line (without its line end; CRs at its end are allowed). False, with `config`
// untouched, for any other line or a malformed record.
bool ParseDisplayConfigLine(std::string_view line, TDisplayConfig& config);

// The configuration recorded in the bytes of a layout file: the first line that parses as a
// display line, lines split as the layout reader splits them (at LF, every CR dropped). False when
// the file records none (files of earlier versions).
bool DisplayConfigOfLayout(std::string_view layoutBytes, TDisplayConfig& config);

// Whether the primary layout of the plain resolution key serves `current`, a configuration of its
// own (not plain) for whose key no primary layout exists. It serves only when it was saved with the
// same arrangement (SameArrangement): the configuration it records (DisplayConfigOfLayout) is
// compared. A layout without that record was saved on a plain configuration (plain configurations
// write none, as earlier versions did not): one monitor at 0,0 of the size its key names, which is
// the size of `current`'s virtual screen. So a multi-monitor configuration never falls back to such
// a file, while one monitor of the same size at another DPI does.
bool PlainLayoutServes(std::string_view layoutBytes, const TDisplayConfig& current);

// Whether the position lies on some monitor of the configuration (inside its rectangle). A restore
// never moves an icon to a position for which this is false.
bool LiesOnSomeMonitor(const TDisplayConfig& config, TDisplayPoint position);

// The index of the monitor that contains the position, else of the monitor nearest to it (the
// first of equally near ones). -1 without monitors.
int MonitorOfPosition(const TDisplayConfig& config, TDisplayPoint position);

// The desktop's icon grid, from the desktop's list view:
//   CellWidth, CellHeight  the distance between neighbouring icon positions (LVM_GETITEMSPACING
//                          with wParam FALSE: low and high word);
//   OffsetX, OffsetY       the position of an icon in the first cell relative to the work area's
//                          top-left corner (the desktop puts the first icon there; 0,0 when not
//                          known).
// Cell (column, row) of a monitor stands at workArea.Left + OffsetX + column * CellWidth,
// workArea.Top + OffsetY + row * CellHeight; the cells of a monitor are those whose box lies wholly
// in its work area. An icon's box, and a cell's, is CellWidth x CellHeight at its position.
struct TDesktopGrid {
    int32_t CellWidth = 0;
    int32_t CellHeight = 0;
    int32_t OffsetX = 0;
    int32_t OffsetY = 0;
};

// A move of one new icon: the index into the `unlisted` positions of PlaceNewIcons and its cell.
struct TNewIconMove {
    size_t Index = 0;
    TDisplayPoint Position;
};

struct TNewIconPlacement {
    std::vector<TNewIconMove> Moves;
    size_t Unplaced = 0; // overlapping icons for which the monitor had no free cell: they stay
};

// Where the icons that a restored layout does not list go after the restore. `restored` are the
// positions of the restored icons, `unlisted` the current positions of the icons the layout does
// not list, in item order, and `fixed` the positions of other icons that stay where they are (listed
// icons that the restore leaves in place): they take their cells. An unlisted icon whose box intersects no
// restored icon's box stays. One that does moves to the free cell of the grid on its monitor
// (MonitorOfPosition) nearest to its position; the cells are scanned as the desktop fills them, down each
// column from the top-left, and the first of equally near cells wins. A cell is free when its box intersects
// the box of no restored icon, no icon that stays and no icon placed before. Nothing moves with a grid whose
// cells are smaller than 8 x 8 (a grid that was not read): such icons are counted as unplaced.
TNewIconPlacement PlaceNewIcons(const TDisplayConfig& config, const TDesktopGrid& grid,
                                const std::vector<TDisplayPoint>& restored,
                                const std::vector<TDisplayPoint>& unlisted,
                                const std::vector<TDisplayPoint>& fixed = {});

// The identity of a monitor from its EDID (at least the 128-byte base block): the manufacturer's
// three letters and the product code as four upper-case hexadecimal digits, "-", and the serial:
// the serial-number text of the display descriptor 0xFF when there is one (blanks at its end cut
// off), else the numeric serial as eight upper-case hexadecimal digits, e.g. "DEL40F5-4A3B2C1D".
// Empty when the EDID is malformed (header, manufacturer letters) or has no serial at all: two
// monitors of one model could not be told apart.
std::string MonitorIdentityFromEdid(std::string_view edid);

// The registry key below HKEY_LOCAL_MACHINE that holds a monitor's "EDID" value, from the monitor
// device path of the display configuration: "\\?\DISPLAY#DEL40F5#5&1a2b&0&UID4353#{e6f0...}" gives
// "SYSTEM\CurrentControlSet\Enum\DISPLAY\DEL40F5\5&1a2b&0&UID4353\Device Parameters". False for a
// path of another form.
bool MonitorRegistryKeyOfPath(std::string_view devicePath, std::string& key);
