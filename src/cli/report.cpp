#include "cli/report.hpp"

#include "cli/shown_text.hpp"

#include <cstdio>

namespace {

void print_text_line(const char *label, const char *text, shows_byte shows)
{
    std::printf("%s", label);
    print_shown(text, shows);
    std::printf("\n");
}

} // namespace

void print_report(const char *path, const image_info &info, bool on_terminal)
{
    const shows_byte path_bytes = on_terminal ? shows_non_control : shows_any;
    const shows_byte header_bytes = on_terminal ? shows_printable_ascii : shows_any;

    print_text_line("\nFilename      : ", path, path_bytes);
    print_text_line("Internal Name : ", info.internal_name, header_bytes);
    print_text_line("Copyright     : ", info.copyright, header_bytes);
    std::printf("Catalog No.   : NEOP%02x%02x\n", info.catalog[0], info.catalog[1]);
    // The full 64-bit count: a narrower one turns wrong, even negative, on huge sparse files.
    std::printf("Image Size    : %lld Megabit\n", static_cast<long long>(info.megabits));
}
