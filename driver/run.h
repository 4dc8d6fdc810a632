// One run of telvanor, from the command line to the listing.
#pragma once

#include "output/out_buffer.h"

// The usage line, as written on misuse.
extern const char telvanor_usage[];

// Writes the usage line to standard error; returns the exit status 1.
int show_usage();

// Writes what `out` holds; false, after a message, when standard output did
// not take all of it.
bool run_flush(out_buffer *out);

// Keys the hashes of names with a seed that no input can predict, drawn
// from the kernel (or, failing that, from the clock and the process). Once,
// before the first run. Never fails.
void run_seed_hashes();

// Runs telvanor with `argv` (argv[0] is the program name), writing the graph
// to `out` and messages to standard error. Returns the exit status, 0 or 1.
// The locale and the character classes must already be set up.
int telvanor_run(int argc, char **argv, out_buffer *out);
