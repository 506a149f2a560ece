#ifndef VORLUND_CLI_BANNER_HPP
#define VORLUND_CLI_BANNER_HPP

// Writes the sixteen lines of the banner, its leading empty line included, to standard output.
void print_banner();

#endif
