#include "cli/output.hpp"

#include "cli/failure.hpp"

#include <cstddef>
#include <cstdio>

namespace {

// Holds the banner with the largest report: a path that opens is shorter than PATH_MAX (4096).
// So the whole output leaves in one write, and stdio never allocates a buffer of its own.
constexpr std::size_t OUTPUT_BUFFER_BYTES = 8192;

char output_buffer[OUTPUT_BUFFER_BYTES];

} // namespace

void buffer_output()
{
    // Should this fail, stdio keeps its own buffer and the output is the same.
    (void)std::setvbuf(stdout, output_buffer, _IOFBF, sizeof output_buffer);
}

void flush_output()
{
    // A report that could not be written must not pass for one that was (a full disk, /dev/full).
    if (std::fflush(stdout) == EOF || std::ferror(stdout) != 0)
        die_io_error();
}
