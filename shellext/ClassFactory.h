#pragma once
// The class factory of the context-menu handler TContextMenu.

#include <windows.h>
#include <objbase.h>

// The one factory of the library: it lives from load to unload and counts its references in the
// server state.
IClassFactory* ContextMenuFactory();
