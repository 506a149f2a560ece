#ifndef VORLUND_CLI_SHOWN_TEXT_HPP
#define VORLUND_CLI_SHOWN_TEXT_HPP

// Decides whether one byte of a text may reach standard output as it is.
using shows_byte = bool (*)(unsigned char byte);

// Every byte: what scripts read from a pipe or a file.
bool shows_any(unsigned char byte);
// Printable ASCII only: header texts are ASCII by their format, so anything else is garbage or an
// attempt to send escape sequences to a terminal.
bool shows_printable_ascii(unsigned char byte);
// Everything but the control characters, so that a UTF-8 path stays readable on a terminal.
bool shows_non_control(unsigned char byte);

// Prints text, showing each byte that shows() refuses as '?'.
void print_shown(const char *text, shows_byte shows);

#endif
