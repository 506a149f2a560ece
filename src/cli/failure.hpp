#ifndef VORLUND_CLI_FAILURE_HPP
#define VORLUND_CLI_FAILURE_HPP

#include "image/image_info.hpp"

// Every run ends with status 0, failures included: callers tell the outcomes apart by the two
// streams, and existing scripts rely on the zero.
constexpr int EXIT_STATUS = 0;

// Each writes its fixed message to standard error, flushes it and ends the process.
[[noreturn]] void die_io_error();
[[noreturn]] void die_image_error(image_error error);

#endif
