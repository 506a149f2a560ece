#include "cli/shown_text.hpp"

#include <cstddef>
#include <cstdio>

namespace {

constexpr unsigned char FIRST_PRINTABLE = 0x20;
constexpr unsigned char LAST_PRINTABLE = 0x7e;
constexpr unsigned char DELETE = 0x7f;
constexpr char REPLACEMENT[] = "?";

} // namespace

bool shows_any(unsigned char /*byte*/)
{
    return true;
}

bool shows_printable_ascii(unsigned char byte)
{
    return byte >= FIRST_PRINTABLE && byte <= LAST_PRINTABLE;
}

bool shows_non_control(unsigned char byte)
{
    return byte >= FIRST_PRINTABLE && byte != DELETE;
}

void print_shown(const char *text, shows_byte shows)
{
    // Whole runs of shown bytes go out at once; only a refused byte costs a call of its own.
    while (*text != '\0') {
        std::size_t run = 0;
        while (text[run] != '\0' && shows(static_cast<unsigned char>(text[run])))
            ++run;
        std::printf("%.*s", static_cast<int>(run), text);
        text += run;
        if (*text != '\0') {
            std::printf("%s", REPLACEMENT);
            ++text;
        }
    }
}
