#ifndef VORLUND_CLI_SHOWN_TEXT_HPP
#define VORLUND_CLI_SHOWN_TEXT_HPP

#include <stddef.h>

// The character that starts a text: how many bytes it takes, and whether it may reach standard
// output as it is.
struct text_unit {
    size_t bytes;
    bool shown;
};

// Splits off the character at the start of a non-empty text.
using next_unit = text_unit (*)(const char *text);

// Every byte, as it is: what scripts read from a pipe or a file.
text_unit any_byte(const char *text);
// Printable ASCII only: header texts are ASCII by their format, so anything else is garbage or an
// attempt to send escape sequences to a terminal.
text_unit printable_ascii(const char *text);
// Valid UTF-8 but the control characters (C0, DEL and C1), so that a path stays readable on a
// terminal; each byte that starts no valid sequence is a unit of its own, never shown. Whatever
// the locale: the output must not depend on the environment.
text_unit utf8_non_control(const char *text);

// Prints text, showing each unit that next() refuses as one '?'.
void print_shown(const char *text, next_unit next);

#endif
