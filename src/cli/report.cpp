#include "cli/report.hpp"

#include "cli/shown_text.hpp"

#include <cstdio>

namespace {

void print_text_line(const char *label, const char *text, next_unit next)
{
    std::printf("%s", label);
    print_shown(text, next);
    std::printf("\n");
}

} // namespace

void print_report(const char *path, const image_info &info, bool on_terminal)
{
    const next_unit path_units = on_terminal ? utf8_non_control : any_byte;
    const next_unit header_units = on_terminal ? printable_ascii : any_byte;

    print_text_line("\nFilename      : ", path, path_units);
    print_text_line("Internal Name : ", info.internal_name, header_units);
    print_text_line("Copyright     : ", info.copyright, header_units);
    std::printf("Catalog No.   : NEOP%02x%02x\n", info.catalog[0], info.catalog[1]);
    // The full 64-bit count: a narrower one turns wrong, even negative, on huge sparse files.
    std::printf("Image Size    : %lld Megabit\n", static_cast<long long>(info.megabits));
}
