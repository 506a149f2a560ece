#include "cli/shown_text.hpp"

#include "cli/output.hpp"

namespace {

constexpr unsigned char FIRST_PRINTABLE = 0x20;
constexpr unsigned char LAST_PRINTABLE = 0x7e;
constexpr unsigned char DELETE = 0x7f;
constexpr char REPLACEMENT = '?';

constexpr unsigned char FIRST_CONTINUATION = 0x80;
constexpr unsigned char LAST_CONTINUATION = 0xbf;
// C1 controls, U+0080 to U+009F, all start with this byte; 0x9b after it is CSI.
constexpr unsigned char C1_LEAD = 0xc2;
constexpr unsigned char LAST_C1_SECOND = 0x9f;

bool is_continuation(unsigned char byte)
{
    return byte >= FIRST_CONTINUATION && byte <= LAST_CONTINUATION;
}

// A lead byte, the length of its sequence, and the range its second byte must fall in. The
// narrow ranges keep out overlong forms (0xe0, 0xf0), surrogates (0xed) and code points past
// U+10FFFF (0xf4); 0xc0, 0xc1 and 0xf5 on can only start an overlong or out-of-range form.
struct utf8_lead {
    unsigned char first;
    unsigned char last;
    unsigned char bytes;
    unsigned char second_low;
    unsigned char second_high;
};

constexpr utf8_lead UTF8_LEADS[] = {
    {0xc2, 0xdf, 2, 0x80, 0xbf}, {0xe0, 0xe0, 3, 0xa0, 0xbf}, {0xe1, 0xec, 3, 0x80, 0xbf},
    {0xed, 0xed, 3, 0x80, 0x9f}, {0xee, 0xef, 3, 0x80, 0xbf}, {0xf0, 0xf0, 4, 0x90, 0xbf},
    {0xf1, 0xf3, 4, 0x80, 0xbf}, {0xf4, 0xf4, 4, 0x80, 0x8f},
};

// The bytes of the valid multi-byte sequence that starts s, or 0. A NUL is no continuation byte,
// so nothing past the end of the text is read.
size_t utf8_sequence(const unsigned char *s)
{
    for (const utf8_lead &lead : UTF8_LEADS) {
        if (s[0] < lead.first || s[0] > lead.last)
            continue;
        if (s[1] < lead.second_low || s[1] > lead.second_high)
            return 0;
        for (size_t i = 2; i < lead.bytes; ++i)
            if (!is_continuation(s[i]))
                return 0;
        return lead.bytes;
    }
    return 0;
}

} // namespace

text_unit any_byte(const char * /*text*/)
{
    return {1, true};
}

text_unit printable_ascii(const char *text)
{
    const auto byte = static_cast<unsigned char>(*text);
    return {1, byte >= FIRST_PRINTABLE && byte <= LAST_PRINTABLE};
}

text_unit utf8_non_control(const char *text)
{
    const auto *s = reinterpret_cast<const unsigned char *>(text);
    if (s[0] < FIRST_CONTINUATION)
        return {1, s[0] >= FIRST_PRINTABLE && s[0] != DELETE};
    const size_t bytes = utf8_sequence(s);
    if (bytes == 0)
        return {1, false};
    return {bytes, !(s[0] == C1_LEAD && s[1] <= LAST_C1_SECOND)};
}

void print_shown(const char *text, next_unit next)
{
    // Whole runs of shown units go out at once; only a refused unit costs a call of its own.
    while (*text != '\0') {
        size_t run = 0;
        text_unit unit{};
        while (text[run] != '\0' && (unit = next(text + run)).shown)
            run += unit.bytes;
        print_bytes(text, run);
        text += run;
        if (*text != '\0') {
            print_bytes(&REPLACEMENT, 1);
            text += unit.bytes;
        }
    }
}
