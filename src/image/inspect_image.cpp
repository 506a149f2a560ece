#include "image/inspect_image.hpp"

#include <cstddef>
#include <sys/types.h>
#include <unistd.h>

static_assert(sizeof(off_t) == sizeof(std::int64_t), "image sizes need 64-bit file offsets");

namespace {

image_result failure(image_error error)
{
    image_result result{};
    result.error = error;
    return result;
}

// Only -1 is a failure: a short read leaves the rest of the zeroed field as it was.
bool read_field(int fd, void *field, std::int64_t length)
{
    return read(fd, field, static_cast<std::size_t>(length)) != -1;
}

// The gap between two fields is passed over by a relative seek, never read.
bool skip_to(int fd, std::int64_t field_end, std::int64_t next_offset)
{
    return lseek(fd, next_offset - field_end, SEEK_CUR) != -1;
}

// Each field is read by its own call at its own position rather than sliced out of one block, so
// that no byte outside the fields is ever read.
bool read_header(int fd, image_info &info)
{
    return lseek(fd, COPYRIGHT_OFFSET, SEEK_SET) != -1 &&
           read_field(fd, info.copyright, COPYRIGHT_BYTES) &&
           skip_to(fd, COPYRIGHT_OFFSET + COPYRIGHT_BYTES, CATALOG_OFFSET) &&
           read_field(fd, info.catalog, CATALOG_BYTES) &&
           skip_to(fd, CATALOG_OFFSET + CATALOG_BYTES, INTERNAL_NAME_OFFSET) &&
           read_field(fd, info.internal_name, INTERNAL_NAME_BYTES);
}

} // namespace

image_result inspect_image(int fd)
{
    const off_t size = lseek(fd, 0, SEEK_END);
    if (size == -1)
        return failure(image_error::io_error);
    // Checked before any header byte is read: a file of the wrong size is not an image at all.
    if (size % MEGABIT_BYTES != 0)
        return failure(image_error::bad_size);

    image_result result{};
    result.info.megabits = size / MEGABIT_BYTES;
    if (!read_header(fd, result.info))
        return failure(image_error::io_error);
    result.ok = true;
    return result;
}
