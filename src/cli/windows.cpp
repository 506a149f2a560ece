// The driver's system calls on Windows, made to behave as they do on POSIX systems. The path
// comes in as UTF-8, as it was typed, because windows.manifest makes UTF-8 the program's code
// page: open() then finds any name, and the report shows it as it does elsewhere.
#include "cli/system.hpp"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

namespace {

UINT found_code_page;

void restore_code_page()
{
    // Nothing is left to report to at exit.
    (void)SetConsoleOutputCP(found_code_page);
}

// In text mode every LF would go out as CR LF. A stream that is not open has no mode to set;
// writing to it fails, and is reported, as it is elsewhere.
bool binary_mode(FILE *stream)
{
    return _setmode(_fileno(stream), _O_BINARY) != -1 || errno == EBADF;
}

} // namespace

bool binary_streams()
{
    return binary_mode(stdout) && binary_mode(stderr);
}

int open_image(const char *path)
{
    // In text mode a read would turn CR LF into LF and stop at a 0x1A byte. Windows has no FIFOs
    // to wait on.
    return open(path, O_RDONLY | O_BINARY);
}

bool terminal_output()
{
    // Any character device may be a console: cmd's "> CON" opens one write-only, and without read
    // access it has no console mode to tell it by. Files and pipes never are; the null device and
    // serial ports lose nothing by the filter.
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (GetFileType(output) != FILE_TYPE_CHAR)
        return false;
    // A console shows UTF-8 as characters only in its UTF-8 code page. Only one that says which
    // page it has is switched, and it gets that page back at every exit; when that cannot be
    // promised, or the console refuses the change, it keeps its own, and a path outside it shows
    // as other characters, never as control sequences.
    DWORD mode = 0;
    if (GetConsoleMode(output, &mode) == 0)
        return true;
    found_code_page = GetConsoleOutputCP();
    if (found_code_page != 0 && found_code_page != CP_UTF8 && atexit(restore_code_page) == 0)
        (void)SetConsoleOutputCP(CP_UTF8);
    return true;
}
