// Allocations that the system's font configuration and D-Bus libraries keep
// for the life of the process are not leaks of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\nleak:libdbus-1\n"; }
