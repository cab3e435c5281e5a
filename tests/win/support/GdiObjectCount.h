#pragma once
// The number of GDI objects this process owns, for tests that look for leaks.

// GetGuiResources where the system counts them (Windows). Wine answers 0 there; its GDI handle
// table (shared memory reachable from the process environment block, one entry per object of this
// process) is counted instead, once a test object created and deleted has been seen to change the
// count by exactly one. -1 when neither works.
long CountOwnGdiObjects();
