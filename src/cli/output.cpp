#include "cli/output.hpp"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

namespace {

// The largest output of any run: the banner and a report whose path is the longest that any
// system opens. Windows takes 32,767 UTF-16 units, up to three bytes each in UTF-8; POSIX
// systems open less than PATH_MAX.
constexpr size_t OUTPUT_BUFFER_BYTES = 131072;
// The report's formatted lines: a label, hex digits or a 64-bit count, a newline.
constexpr size_t LINE_BYTES = 64;

char output_buffer[OUTPUT_BUFFER_BYTES];
size_t buffered;
// Set when the output could not be put together whole: it must not go out as if it were.
bool incomplete;

bool write_all(int fd, const char *bytes, size_t count)
{
    // A write may take less than it is given (a file that nears its size limit); the rest follows.
    while (count > 0) {
        // Windows counts in unsigned int, POSIX in size_t: the buffer fits either.
        const ssize_t written = write(fd, bytes, static_cast<unsigned>(count));
        // Nothing written is no progress: retrying could go on for ever.
        if (written <= 0)
            return false;
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

} // namespace

void print_bytes(const char *bytes, size_t count)
{
    if (count > sizeof output_buffer - buffered) {
        incomplete = true;
        return;
    }
    memcpy(output_buffer + buffered, bytes, count);
    buffered += count;
}

void print_text(const char *text)
{
    print_bytes(text, strlen(text));
}

void print_line(const char *format, ...)
{
    char line[LINE_BYTES];
    va_list arguments;
    va_start(arguments, format);
    // clang-tidy 14's analyzer, run on main.cpp first, takes arguments for uninitialised here.
    // NOLINTNEXTLINE(clang-analyzer-valist.Uninitialized)
    const int length = vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    if (length < 0 || static_cast<size_t>(length) >= sizeof line) {
        incomplete = true;
        return;
    }
    print_bytes(line, static_cast<size_t>(length));
}

bool flush_output()
{
    return !incomplete && write_all(STDOUT_FILENO, output_buffer, buffered);
}

bool write_message(const char *text)
{
    return write_all(STDERR_FILENO, text, strlen(text));
}
