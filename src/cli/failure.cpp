#include "cli/failure.hpp"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr char IO_ERROR_TEXT[] = "File IO error encountered. Aborting...\n";
constexpr char BAD_SIZE_TEXT[] = "Incorrect filesize. Corrupt image?\n";

[[noreturn]] void die(const char *message)
{
    // Nowhere is left to report a message that cannot be written: the exit is the same.
    (void)std::fprintf(stderr, "%s", message);
    (void)std::fflush(stderr);
    std::exit(EXIT_STATUS);
}

} // namespace

void die_io_error()
{
    die(IO_ERROR_TEXT);
}

void die_image_error(image_error error)
{
    die(error == image_error::bad_size ? BAD_SIZE_TEXT : IO_ERROR_TEXT);
}
