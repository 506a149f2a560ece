#ifndef VORLUND_IMAGE_IMAGE_INFO_HPP
#define VORLUND_IMAGE_IMAGE_INFO_HPP

#include <stdint.h>

// One megabit: an image is always a whole number of these.
constexpr int64_t MEGABIT_BYTES = 131072;

// The header fields that are read, as offsets from the start of the file. The bytes between the
// fields, and everything from HEADER_BYTES on, are never read.
constexpr int64_t COPYRIGHT_OFFSET = 0;
constexpr int64_t COPYRIGHT_BYTES = 28;
constexpr int64_t CATALOG_OFFSET = 31;
constexpr int64_t CATALOG_BYTES = 2;
constexpr int64_t INTERNAL_NAME_OFFSET = 36;
constexpr int64_t INTERNAL_NAME_BYTES = 12;
constexpr int64_t HEADER_BYTES = 48;

static_assert(COPYRIGHT_OFFSET + COPYRIGHT_BYTES <= CATALOG_OFFSET);
static_assert(CATALOG_OFFSET + CATALOG_BYTES <= INTERNAL_NAME_OFFSET);
static_assert(INTERNAL_NAME_OFFSET + INTERNAL_NAME_BYTES == HEADER_BYTES);

// What one image yields. The texts are the file's raw bytes, each followed by a NUL that no read
// reaches; whatever a short read did not fill stays zero.
struct image_info {
    char copyright[COPYRIGHT_BYTES + 1];
    unsigned char catalog[CATALOG_BYTES];
    char internal_name[INTERNAL_NAME_BYTES + 1];
    int64_t megabits;
};

enum class image_error {
    io_error, // a seek or a read returned -1
    bad_size, // the size is not a whole number of megabits
};

// A filled record when ok, otherwise the first error met.
struct image_result {
    bool ok;
    image_error error;
    image_info info;
};

#endif
