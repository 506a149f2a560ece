#include "cli/banner.hpp"

#include <cstdio>

namespace {

// Sixteen lines, the first one empty. Printed through "%s" so that every byte goes out as drawn.
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

} // namespace

void print_banner()
{
    std::printf("%s", BANNER);
}
