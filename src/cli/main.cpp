#include "cli/banner.hpp"
#include "cli/failure.hpp"
#include "cli/output.hpp"
#include "cli/report.hpp"
#include "image/inspect_image.hpp"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Names the tool by its own name, whatever it was started as.
constexpr char USAGE_TEXT[] = "\nUsage:\n\n    vorlund filename\n\n";

void print_usage()
{
    print_banner();
    std::printf("%s", USAGE_TEXT);
}

} // namespace

int main(int argc, char *argv[])
{
    buffer_output();
    if (argc != 2) {
        print_usage();
        flush_output();
        return EXIT_STATUS;
    }
    const char *path = argv[1];
    // Non-blocking, so that a FIFO with no writer fails at the size step instead of hanging.
    const int fd = open(path, O_RDONLY | O_NONBLOCK);
    if (fd == -1)
        die_io_error();
    const image_result image = inspect_image(fd);
    if (!image.ok)
        die_image_error(image.error);

    print_banner();
    print_report(path, image.info, isatty(STDOUT_FILENO) == 1);
    flush_output();
    // Only after the report is out: a failed close still reports the image it read.
    if (close(fd) == -1)
        die_io_error();
    return EXIT_STATUS;
}
