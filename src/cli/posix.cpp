// The driver's system calls on POSIX systems, where they need nothing but their own flags.
#include "cli/system.hpp"

#include <fcntl.h>
#include <unistd.h>

bool binary_streams()
{
    // POSIX streams have no text mode: they carry bytes as they are.
    return true;
}

int open_image(const char *path)
{
    // Non-blocking, so that a FIFO with no writer fails at the size step instead of hanging.
    return open(path, O_RDONLY | O_NONBLOCK);
}

bool terminal_output()
{
    // What a terminal makes of UTF-8 is its user's setting: the locale is never read.
    return isatty(STDOUT_FILENO) == 1;
}
