// Queries started from the command line.
#pragma once

// Reads the command-line tail, in UTF-8, and starts at most one query.
// Always 0.
int ProcessCommandLine(char *tail);
