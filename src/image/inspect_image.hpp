#ifndef VORLUND_IMAGE_INSPECT_IMAGE_HPP
#define VORLUND_IMAGE_INSPECT_IMAGE_HPP

#include "image/image_info.hpp"

// Measures the image open on fd and reads its header fields. The descriptor stays open and
// belongs to the caller; after a whole header has been read its position is HEADER_BYTES.
image_result inspect_image(int fd);

#endif
