// Linked into the programs and tests of the address-sanitized build only.
//
// Shared objects stay loaded for the whole process. Mesa unloads its driver when GLFW closes the X
// display, before the exit-time leak check; LeakSanitizer then no longer scans the driver's globals and
// cannot name its frames, and reports the driver's own, still referenced, allocations as leaks without a
// usable stack. Interposing dlclose (the executable's definition wins over the C library's) keeps every
// module, so only memory that is really lost is reported.

extern "C" int dlclose(void*) { return 0; }
