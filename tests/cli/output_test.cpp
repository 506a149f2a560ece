#include "cli/output.hpp"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

// The output is gathered once a run, as the program gathers it, and a refusal stands for the rest
// of the run: each case is a run of its own, in a child process, which exits 0 when all it saw
// was right and says on standard error what was not.
#define EXPECT_RUN(scenario) EXPECT_EXIT(exit(scenario() ? 0 : 1), testing::ExitedWithCode(0), "^$")

// The largest output of any run and the longest formatted line, both of them counted with the
// newline that ends them.
constexpr size_t WHOLE_OUTPUT = 131072;
constexpr size_t LONGEST_LINE = 63;

// What reaches descriptor fd while run() goes on, fd pointing at a temporary file meanwhile; with
// what run() returned.
struct captured {
    bool returned;
    std::string bytes;
};
template <typename Run> captured capture(int fd, Run run)
{
    char path[] = "vorlund_output_XXXXXX";
    const int file = mkstemp(path);
    const int saved = dup(fd);
    dup2(file, fd);
    const bool returned = run();
    dup2(saved, fd);
    close(saved);
    std::string bytes;
    char buffer[4096];
    lseek(file, 0, SEEK_SET);
    // Windows counts in unsigned int, POSIX in size_t.
    for (ssize_t got; (got = read(file, buffer, static_cast<unsigned>(sizeof buffer))) > 0;)
        bytes.append(buffer, static_cast<size_t>(got));
    close(file);
    unlink(path);
    return {returned, bytes};
}

bool saw(bool right, const char *what)
{
    if (!right)
        fprintf(stderr, "%s\n", what);
    return right;
}

// count bytes of text in pieces of a few sizes, the last a line that ends in its newline.
std::string text_of(size_t count)
{
    std::string text;
    for (size_t i = 0; text.size() < count; i++)
        text += std::string(i % 7 + 1, static_cast<char>('a' + i % 26));
    text.resize(count);
    text.back() = '\n';
    return text;
}

bool prints_the_whole_buffer()
{
    const std::string text = text_of(WHOLE_OUTPUT);
    const captured out = capture(STDOUT_FILENO, [&] {
        print_bytes(text.data(), 1000);
        print_text(text.substr(1000, 1).c_str());
        print_bytes(text.data() + 1001, text.size() - 1001);
        return flush_output();
    });
    return saw(out.returned, "flush_output refused an output that fits") &&
           saw(out.bytes == text, "flush_output wrote other bytes");
}

bool refuses_one_byte_more()
{
    const std::string text = text_of(WHOLE_OUTPUT);
    const captured out = capture(STDOUT_FILENO, [&] {
        print_bytes(text.data(), text.size());
        print_text("x");
        print_text("");
        return flush_output();
    });
    return saw(!out.returned, "flush_output took an output one byte too long") &&
           saw(out.bytes.empty(), "flush_output wrote part of an output that does not fit");
}

bool refuses_more_in_one_piece()
{
    const std::string text = text_of(WHOLE_OUTPUT + 1);
    const captured out = capture(STDOUT_FILENO, [&] {
        print_text("\nFilename      : ");
        print_bytes(text.data(), text.size());
        return flush_output();
    });
    return saw(!out.returned, "flush_output took a piece past the end of the buffer") &&
           saw(out.bytes.empty(), "flush_output wrote part of an output that does not fit");
}

bool prints_the_longest_line()
{
    const std::string line = text_of(LONGEST_LINE);
    const captured out = capture(STDOUT_FILENO, [&] {
        print_line("Image Size    : %lld Megabit\n", 9223372036854775807LL);
        print_line("%s", "");
        print_line("%s", line.c_str());
        return flush_output();
    });
    return saw(out.returned, "flush_output refused a line that fits") &&
           saw(out.bytes == "Image Size    : 9223372036854775807 Megabit\n" + line,
               "print_line wrote other bytes");
}

bool refuses_a_longer_line()
{
    const std::string line = text_of(LONGEST_LINE + 1);
    const captured out = capture(STDOUT_FILENO, [&] {
        print_text("before the line\n");
        print_line("%s", line.c_str());
        print_text("after it\n");
        return flush_output();
    });
    return saw(!out.returned, "flush_output took a line one byte too long") &&
           saw(out.bytes.empty(), "flush_output wrote the output around a line that does not fit");
}

bool refuses_a_line_past_the_buffer()
{
    const std::string line = text_of(3 * LONGEST_LINE);
    const captured out = capture(STDOUT_FILENO, [&] {
        print_line("%s", line.c_str());
        return flush_output();
    });
    return saw(!out.returned, "flush_output took a line far too long") &&
           saw(out.bytes.empty(), "flush_output wrote part of a line far too long");
}

bool writes_a_message_whole()
{
    const captured err = capture(
        STDERR_FILENO, [] { return write_message("File IO error encountered. Aborting...\n"); });
    return saw(err.returned, "write_message failed") &&
           saw(err.bytes == "File IO error encountered. Aborting...\n",
               "write_message wrote other bytes");
}

TEST(Output, PrintsAWholeBufferFromPiecesOfAnySize)
{
    EXPECT_RUN(prints_the_whole_buffer);
}

TEST(Output, RefusesAnOutputThatDoesNotFitAndWritesNothing)
{
    EXPECT_RUN(refuses_one_byte_more);
    EXPECT_RUN(refuses_more_in_one_piece);
}

TEST(Output, FormatsTheLongestLineAndRefusesALongerOneWhole)
{
    EXPECT_RUN(prints_the_longest_line);
    EXPECT_RUN(refuses_a_longer_line);
    EXPECT_RUN(refuses_a_line_past_the_buffer);
}

TEST(Output, WritesAMessageWhole)
{
    EXPECT_RUN(writes_a_message_whole);
}

} // namespace
