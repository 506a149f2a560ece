#include "image/inspect_image.hpp"

#include <stddef.h>
#include <sys/types.h>
#include <unistd.h>

static_assert(sizeof(off_t) == sizeof(int64_t), "image sizes need 64-bit file offsets");

namespace {

image_result failure(image_error error)
{
    image_result result{};
    result.error = error;
    return result;
}

struct header_field {
    int64_t offset;
    int64_t bytes;
    void *into;
};

// Each field is read by its own call at its own position rather than sliced out of one block, so
// that no byte outside the fields is ever read. A gap is passed over by a relative seek from where
// the last read stopped, so a short read, which leaves the rest of its zeroed field as it was,
// cannot shift the fields after it. Only -1 is a failure.
bool read_header(int fd, image_info &info)
{
    const header_field fields[] = {
        {COPYRIGHT_OFFSET, COPYRIGHT_BYTES, info.copyright},
        {CATALOG_OFFSET, CATALOG_BYTES, info.catalog},
        {INTERNAL_NAME_OFFSET, INTERNAL_NAME_BYTES, info.internal_name},
    };
    if (lseek(fd, COPYRIGHT_OFFSET, SEEK_SET) == -1)
        return false;
    int64_t position = COPYRIGHT_OFFSET;
    for (const header_field &field : fields) {
        if (field.offset != position && lseek(fd, field.offset - position, SEEK_CUR) == -1)
            return false;
        // Windows counts in unsigned int, POSIX in size_t: a field's few bytes fit either.
        const ssize_t got = read(fd, field.into, static_cast<unsigned>(field.bytes));
        if (got == -1)
            return false;
        position = field.offset + got;
    }
    return true;
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
