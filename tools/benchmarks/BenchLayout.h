#pragma once
// Layout files that the benchmarks give Kavrilon to restore, made from the desktop host's true state.

#include <cstdint>
#include <string>

#include "support/DesktopHostClient.h"

// Starts `host` with a generated desktop of `icons` icons; says why on standard error when it fails.
bool StartGeneratedDesktop(kvtest::DesktopHost& host, unsigned icons);

// Writes a layout of the host's icons with every icon `shift` pixels away from where it stands now
// (0: where it stands). False when the host does not answer or the file cannot be written.
bool WriteShiftedLayout(kvtest::DesktopHost& host, const std::string& path, int32_t shift);
