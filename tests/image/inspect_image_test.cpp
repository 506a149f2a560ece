#include "image/inspect_image.hpp"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

namespace {

#ifdef _WIN32
// Windows names its pipe call apart (io.h), and asks for a buffer size and a mode.
int pipe(int ends[2])
{
    return _pipe(ends, 4096, _O_BINARY);
}
// Windows counts no bytes that a process reads; under Wine, /proc/self/io is found, but counts
// Wine's own reads too.
constexpr bool READS_COUNTED = false;
#else
constexpr bool READS_COUNTED = true;
#endif

// A temporary file in the working directory that starts with `head` and is grown, sparsely, to
// `size` bytes.
struct temp_image {
    char path[32] = "vorlund_test_XXXXXX";
    int fd = mkstemp(path);

    temp_image(const std::string &head, off_t size)
    {
        // Windows counts in unsigned int, POSIX in size_t.
        EXPECT_EQ(write(fd, head.data(), static_cast<unsigned>(head.size())),
                  static_cast<ssize_t>(head.size()));
        EXPECT_EQ(ftruncate(fd, size), 0);
    }
    ~temp_image()
    {
        close(fd);
        unlink(path);
    }
};

TEST(InspectImage, AcceptsOnlyWholeMegabits)
{
    const struct {
        off_t size;
        bool ok;
        std::int64_t megabits;
    } rows[] = {
        {0, true, 0},       {131072, true, 1},  {4 * 131072, true, 4}, {32 * 131072, true, 32},
        {131073, false, 0}, {196608, false, 0},
    };
    for (const auto &row : rows) {
        temp_image image("", row.size);
        const image_result result = inspect_image(image.fd);
        ASSERT_EQ(result.ok, row.ok) << row.size;
        if (row.ok) {
            EXPECT_EQ(result.info.megabits, row.megabits) << row.size;
            // An empty file's reads fill nothing: the fields stay zeroed.
            EXPECT_STREQ(result.info.copyright, "") << row.size;
        } else {
            EXPECT_EQ(result.error, image_error::bad_size) << row.size;
            // Still at the end of the file: refused before any header byte was read.
            EXPECT_EQ(lseek(image.fd, 0, SEEK_CUR), row.size) << row.size;
        }
    }
}

// The bytes this process had read through read(2) when it asked, where the system counts them
// (Linux's /proc/self/io), and in `own` how many the asking took; -1 elsewhere.
long long bytes_read(long long &own)
{
    char text[1024];
    const int io = open("/proc/self/io", O_RDONLY);
    const ssize_t got = io == -1 ? -1 : read(io, text, sizeof text - 1);
    if (io != -1)
        close(io);
    if (got <= 0)
        return -1;
    text[got] = '\0';
    own = got;
    const char *rchar = strstr(text, "rchar: ");
    return rchar == nullptr ? -1 : std::atoll(rchar + 7);
}

// The header's bytes: the filler in every byte outside the fields, up to and past the header's end.
std::string header(char filler)
{
    std::string head(64, filler);
    head.replace(0, 28, "TEN BYTES!\0and 17 bytes more", 28);
    head.replace(31, 2, "\x00\x59", 2);
    head.replace(36, 12, "TWELVEBYTES!");
    return head;
}

TEST(InspectImage, ReadsEachFieldAtItsOffset)
{
    for (const char filler : {'\0', '\xff'}) {
        temp_image image(header(filler), 131072);
        const image_result result = inspect_image(image.fd);
        ASSERT_TRUE(result.ok);
        EXPECT_STREQ(result.info.copyright, "TEN BYTES!");
        EXPECT_EQ(result.info.catalog[0], 0x00);
        EXPECT_EQ(result.info.catalog[1], 0x59);
        EXPECT_STREQ(result.info.internal_name, "TWELVEBYTES!");
        EXPECT_EQ(lseek(image.fd, 0, SEEK_CUR), 48);
    }
}

TEST(InspectImage, ReadsNoByteOutsideTheFields)
{
    temp_image image(header('\xff'), 131072);
    long long asking = 0, unused = 0;
    const long long before = bytes_read(asking);
    if (!READS_COUNTED || before == -1)
        GTEST_SKIP() << "this system counts no bytes that a process reads (/proc/self/io)";
    ASSERT_TRUE(inspect_image(image.fd).ok);
    // 28 of the copyright, 2 of the catalog number and 12 of the name.
    EXPECT_EQ(bytes_read(unused) - before - asking, 42);
}

TEST(InspectImage, IoErrorWhenTheDescriptorCannotBeSeekedOrRead)
{
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const image_result from_pipe = inspect_image(ends[0]);
    EXPECT_FALSE(from_pipe.ok);
    EXPECT_EQ(from_pipe.error, image_error::io_error);
    close(ends[0]);
    close(ends[1]);

    // Seekable and of a good size, so it gets as far as the first read.
    temp_image image("", 131072);
    const int write_only = open(image.path, O_WRONLY);
    const image_result result = inspect_image(write_only);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, image_error::io_error);
    close(write_only);
}

} // namespace
