#include "LargeBuffers.h"

#include <malloc.h>

void keepLargeBuffers()
{
    // Larger buffers (a decoded 12-megapixel picture) are still mapped and
    // given back each time: few, and too large to keep.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
}
