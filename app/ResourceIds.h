#pragma once
// Resource ids of the main program (shared with the resource script).

#define IconMain 100
#define IconTray 101
