#pragma once
// System calls that fail on demand, for the tests of what a failing disk does to a write. The
// library stands before the C library: the hardening tests link it.

extern "C" {

enum { kM4TakesNothing = -2 };

/// From now on the call fails with error for files whose path holds pathPart: "write" (the
/// first such write takes half the bytes, as a disk filling midway does, and the next ones
/// fail), "fdatasync", "fsync" or "renameat" (the new name). With error 0 the process kills
/// itself with SIGKILL at that call instead, as a kill -9 landing there would; with
/// kM4TakesNothing a write takes nothing and gives no reason. A null call disarms it.
void m4InjectFault(const char* call, int error, const char* pathPart);
}
