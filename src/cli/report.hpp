#ifndef VORLUND_CLI_REPORT_HPP
#define VORLUND_CLI_REPORT_HPP

#include "image/image_info.hpp"

// Writes the five report lines to standard output. On a terminal the path and the header texts are
// made safe to show; elsewhere every byte goes out raw.
void print_report(const char *path, const image_info &info, bool on_terminal);

#endif
