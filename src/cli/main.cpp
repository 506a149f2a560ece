// The vorlund command: checks its one argument, has inspect_image read the image, prints the
// banner and the report, and turns every failure into its message. main only sequences the run;
// every fixed text of the tool is in the block below, byte for byte as it goes out.
#include "cli/output.hpp"
#include "cli/shown_text.hpp"
#include "cli/system.hpp"
#include "image/inspect_image.hpp"

#include <stdlib.h>
#include <unistd.h>

namespace {

// Sixteen lines, the first one empty, every byte going out as drawn.
constexpr char BANNER[] = R"(
.   .  .-.  .--.  .     .   . .   . .--.
|   | /   \ |   ) |     |   | |\  | |   '--.
\   / |   | |--'  |     |   | | \ | |      |
 \ /  \   / | \   |     \   / |  \| |   .--'
.-'----'-'--'--\--'____--'-'--'---'-'--'----.
|     .-------------------------------.     |
|    /   _     .---------------.   o  \     |
|    |  (_)    |               | o    |     |
|    \         '---------------'  o   /     |
|     '-------------------------------'     |
|        one image in, five lines out       |
|                                           |
|                Vorlund v1.1               |
|                                           |
`-[ngp/ngpc]--------------------[read-only]-'
)";
// Names the tool by its own name, whatever it was started as.
constexpr char USAGE_TEXT[] = "\nUsage:\n\n    vorlund filename\n\n";
constexpr char FILENAME_LABEL[] = "\nFilename      : ";
constexpr char INTERNAL_NAME_LABEL[] = "Internal Name : ";
constexpr char COPYRIGHT_LABEL[] = "Copyright     : ";
constexpr char CATALOG_LINE[] = "Catalog No.   : NEOP%02x%02x\n";
// The full 64-bit count: a narrower one turns wrong, even negative, on huge sparse files.
constexpr char SIZE_LINE[] = "Image Size    : %lld Megabit\n";
constexpr char IO_ERROR_TEXT[] = "File IO error encountered. Aborting...\n";
constexpr char BAD_SIZE_TEXT[] = "Incorrect filesize. Corrupt image?\n";

// Every run ends with status 0, failures included: callers tell the outcomes apart by the two
// streams, and existing scripts rely on the zero.
constexpr int EXIT_STATUS = 0;

[[noreturn]] void die(const char *message)
{
    // Nowhere is left to report a message that cannot be written: the exit is the same.
    (void)write_message(message);
    exit(EXIT_STATUS);
}

[[noreturn]] void die_io_error()
{
    die(IO_ERROR_TEXT);
}

[[noreturn]] void die_image_error(image_error error)
{
    // No default: -Wswitch names any error that is given no message here.
    switch (error) {
    case image_error::io_error:
        die_io_error();
    case image_error::bad_size:
        die(BAD_SIZE_TEXT);
    }
    die_io_error();
}

void finish_output()
{
    // A report that could not be written must not pass for one that was (a full disk, /dev/full).
    if (!flush_output())
        die_io_error();
}

void print_banner()
{
    print_text(BANNER);
}

void print_text_line(const char *label, const char *text, next_unit next)
{
    print_text(label);
    print_shown(text, next);
    print_text("\n");
}

// On a terminal the path and the header texts are made safe to show; elsewhere every byte goes
// out raw, as scripts read it.
void print_report(const char *path, const image_info &info, bool on_terminal)
{
    const next_unit path_units = on_terminal ? utf8_non_control : any_byte;
    const next_unit header_units = on_terminal ? printable_ascii : any_byte;

    print_text_line(FILENAME_LABEL, path, path_units);
    print_text_line(INTERNAL_NAME_LABEL, info.internal_name, header_units);
    print_text_line(COPYRIGHT_LABEL, info.copyright, header_units);
    print_line(CATALOG_LINE, info.catalog[0], info.catalog[1]);
    print_line(SIZE_LINE, static_cast<long long>(info.megabits));
}

} // namespace

int main(int argc, char *argv[])
{
    if (!binary_streams())
        die_io_error();
    if (argc != 2) {
        print_banner();
        print_text(USAGE_TEXT);
        finish_output();
        return EXIT_STATUS;
    }
    const char *path = argv[1];
    const int fd = open_image(path);
    if (fd == -1)
        die_io_error();
    const image_result image = inspect_image(fd);
    if (!image.ok)
        die_image_error(image.error);

    print_banner();
    print_report(path, image.info, terminal_output());
    finish_output();
    // Only after the report is out: a failed close still reports the image it read.
    if (close(fd) == -1)
        die_io_error();
    return EXIT_STATUS;
}
