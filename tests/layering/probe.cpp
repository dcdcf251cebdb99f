// Includes one header as a program's or the run time's source would.
#include PROBE_HEADER

int LayeringProbe() { return 0; }
