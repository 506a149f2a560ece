// inspect_image on files of any content and size. The first input byte is a switch: when its low
// bit is set, the file is grown to the next whole megabit, so that the header code is reached
// without 128 KiB inputs. The rest of the input is the start of the file.
#include "image/inspect_image.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// One file for the whole run, refilled for each input: no disk traffic, no leftovers.
int image_fd()
{
    static const int fd = memfd_create("vorlund_fuzz", 0);
    require(fd != -1);
    return fd;
}

// A field holds the file's bytes at its offset, and zeros where the file has none.
void require_field(const std::uint8_t *file, std::size_t length, std::int64_t offset,
                   std::int64_t bytes, const void *field)
{
    unsigned char expected[HEADER_BYTES] = {};
    for (std::int64_t i = 0; i < bytes && static_cast<std::size_t>(offset + i) < length; ++i)
        expected[i] = file[offset + i];
    require(std::memcmp(expected, field, static_cast<std::size_t>(bytes)) == 0);
}

void require_record(const std::uint8_t *file, std::size_t length, const image_info &info)
{
    require(info.copyright[COPYRIGHT_BYTES] == '\0');
    require(info.internal_name[INTERNAL_NAME_BYTES] == '\0');
    require_field(file, length, COPYRIGHT_OFFSET, COPYRIGHT_BYTES, info.copyright);
    require_field(file, length, CATALOG_OFFSET, CATALOG_BYTES, info.catalog);
    require_field(file, length, INTERNAL_NAME_OFFSET, INTERNAL_NAME_BYTES, info.internal_name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t *file = data + 1;
    const std::size_t length = size - 1;
    const int fd = image_fd();
    require(ftruncate(fd, 0) == 0);
    require(pwrite(fd, file, length, 0) == static_cast<ssize_t>(length));
    off_t file_size = static_cast<off_t>(length);
    if ((data[0] & 1) != 0) {
        file_size = (file_size + MEGABIT_BYTES - 1) / MEGABIT_BYTES * MEGABIT_BYTES;
        require(ftruncate(fd, file_size) == 0);
    }

    const image_result result = inspect_image(fd);
    require(result.ok == (file_size % MEGABIT_BYTES == 0));
    if (!result.ok) {
        require(result.error == image_error::bad_size);
        return 0;
    }
    require(result.info.megabits == file_size / MEGABIT_BYTES);
    require_record(file, length, result.info);
    return 0;
}
