#include "image/inspect_image.hpp"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

// A temporary file holding `head` and grown (sparsely) to `size` bytes.
struct temp_image {
    char path[32] = "/tmp/vorlund_test_XXXXXX";
    int fd = mkstemp(path);

    temp_image(const std::string &head, off_t size)
    {
        EXPECT_NE(fd, -1);
        EXPECT_EQ(write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size()));
        EXPECT_EQ(ftruncate(fd, size), 0);
    }
    ~temp_image()
    {
        close(fd);
        unlink(path);
    }
};

// 48 header bytes with every byte outside the three fields set to `filler`.
std::string header(const std::string &copyright, const std::string &catalog,
                   const std::string &name, char filler)
{
    std::string bytes(HEADER_BYTES + 16, filler);
    bytes.replace(COPYRIGHT_OFFSET, COPYRIGHT_BYTES, copyright);
    bytes.replace(CATALOG_OFFSET, CATALOG_BYTES, catalog);
    bytes.replace(INTERNAL_NAME_OFFSET, INTERNAL_NAME_BYTES, name);
    return bytes;
}

TEST(InspectImage, AcceptsOnlyWholeMegabits)
{
    const struct {
        off_t size;
        bool ok;
        std::int64_t megabits;
    } rows[] = {
        {0, true, 0},
        {MEGABIT_BYTES, true, 1},
        {4 * MEGABIT_BYTES, true, 4},
        {32 * MEGABIT_BYTES, true, 32},
        {MEGABIT_BYTES + 1, false, 0},
        {3 * MEGABIT_BYTES / 2, false, 0},
    };
    for (const auto &row : rows) {
        temp_image image("", row.size);
        const image_result result = inspect_image(image.fd);
        EXPECT_EQ(result.ok, row.ok) << row.size;
        if (row.ok) {
            EXPECT_EQ(result.info.megabits, row.megabits) << row.size;
            if (row.size > 0) {
                EXPECT_EQ(lseek(image.fd, 0, SEEK_CUR), HEADER_BYTES) << row.size;
            }
        } else {
            EXPECT_EQ(result.error, image_error::bad_size) << row.size;
            // Refused before the rewind: no header byte was read.
            EXPECT_EQ(lseek(image.fd, 0, SEEK_CUR), row.size) << row.size;
        }
    }
}

TEST(InspectImage, ZeroedFieldsWhereAReadCameUpShort)
{
    temp_image image("", 0);
    const image_info info = inspect_image(image.fd).info;
    EXPECT_STREQ(info.copyright, "");
    EXPECT_STREQ(info.internal_name, "");
    EXPECT_EQ(info.catalog[0] | info.catalog[1], 0);
}

TEST(InspectImage, ReadsTheFieldsAndNothingBetweenThem)
{
    const std::string copyright("TEN BYTES!\0 and the rest...", COPYRIGHT_BYTES);
    const std::string catalog("\x00\x59", 2);
    for (char filler : {'\0', '\xff', 'A'}) {
        temp_image image(header(copyright, catalog, "TWELVEBYTES!", filler), MEGABIT_BYTES);
        const image_result result = inspect_image(image.fd);
        ASSERT_TRUE(result.ok);
        EXPECT_STREQ(result.info.copyright, "TEN BYTES!");
        EXPECT_EQ(std::memcmp(result.info.catalog, catalog.data(), CATALOG_BYTES), 0);
        EXPECT_STREQ(result.info.internal_name, "TWELVEBYTES!");
    }
}

TEST(InspectImage, IoErrorFromDescriptorsThatCannotBeInspected)
{
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    EXPECT_EQ(inspect_image(pipe_fds[0]).error, image_error::io_error);
    close(pipe_fds[0]);
    close(pipe_fds[1]);

    // Seekable, so it fails at its first read rather than at the size.
    temp_image image("", MEGABIT_BYTES);
    const int write_only = open(image.path, O_WRONLY);
    ASSERT_NE(write_only, -1);
    const image_result result = inspect_image(write_only);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, image_error::io_error);
    close(write_only);
}

} // namespace
