#ifndef VORLUND_CLI_OUTPUT_HPP
#define VORLUND_CLI_OUTPUT_HPP

#include <stddef.h>

// Standard output is gathered here and handed to the system in one write, so that runs into one
// pipe never mix their lines and a reader sees a report whole or not at all. stdio's own buffering
// cannot promise that everywhere: some C runtimes write each line, even each character, alone.
// The buffer holds the largest output of any run; an output that would not fit, or a line that
// cannot be formatted, fails as a refused write does, rather than go out cut short.

// Adds count bytes to what goes out.
void print_bytes(const char *bytes, size_t count);
// Adds a text up to its NUL.
void print_text(const char *text);
// Adds a formatted line of at most a few dozen bytes: the report's numbers.
void print_line(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Writes out all that was added, once. False if it was not whole, or the system refused any of it.
bool flush_output();
// Writes a whole message to standard error, in one write. False if it could not.
bool write_message(const char *text);

#endif
