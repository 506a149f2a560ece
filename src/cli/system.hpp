#ifndef VORLUND_CLI_SYSTEM_HPP
#define VORLUND_CLI_SYSTEM_HPP

// What the driver asks of the system that POSIX, Windows and WASI answer differently: posix.cpp,
// windows.cpp and wasi.cpp, of which the build compiles the one for its target.

// Makes standard output and standard error carry every byte as it is written. False if they
// cannot be made to.
bool binary_streams();

// Opens the image read-only, for its bytes as they are, without waiting on the file. -1 on
// failure.
int open_image(const char *path);

// Whether standard output is a terminal. One that cannot show UTF-8 as characters by itself is
// set to show it, until the process ends.
bool terminal_output();

#endif
