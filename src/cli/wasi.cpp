// The driver's system calls under WASI. They are POSIX's, but for the working directory: WASI
// gives a program directories, not a place to stand in, so the runner names the one the path
// was typed in as PWD, as a POSIX shell does, and a relative path opens from there.
#include "cli/system.hpp"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

bool binary_streams()
{
    // WASI streams carry bytes as they are.
    return true;
}

int open_image(const char *path)
{
    // wasi-libc takes an empty path for the working directory, which POSIX names no file.
    if (path[0] == '\0') {
        errno = ENOENT;
        return -1;
    }
    // A path the runner's directory does not lead to must fail, not open from the root instead.
    const char *typed_in = getenv("PWD");
    if (typed_in != nullptr && chdir(typed_in) == -1)
        return -1;
    // Non-blocking, so that a FIFO with no writer fails at the size step instead of hanging.
    return open(path, O_RDONLY | O_NONBLOCK);
}

bool terminal_output()
{
    // The runner says whether the output is a terminal: a web page that shows it is one.
    return isatty(STDOUT_FILENO) == 1;
}
