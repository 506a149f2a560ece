#ifndef VORLUND_CLI_OUTPUT_HPP
#define VORLUND_CLI_OUTPUT_HPP

// Gives standard output a fixed buffer; call before anything is written to it.
void buffer_output();

// Pushes standard output out; a write that failed anywhere in the run ends it as an I/O failure.
void flush_output();

#endif
