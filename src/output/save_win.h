// Saving the output pane as a text file.
#pragma once

// Writes the pane's text to `path` byte for byte: no header, nothing added
// at the end; an existing file is replaced. 1 when written, 0 when the file
// could not be created. Failures are silent to the user.
int SaveOutputToFile(const char *path);
