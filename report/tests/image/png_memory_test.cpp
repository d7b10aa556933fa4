// What libpng may ask for while it reads a PNG, seen through the C allocator: a chunk that claims far
// more bytes than the file holds must not be allocated at its claimed size. This program replaces
// malloc, so it stands alone and stays out of the sanitizer build (whose allocator it would bypass).
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <string>

#include "report/model/image/image_file.h"
#include "report/model/image/image_limits.h"

namespace {
std::atomic<size_t> g_largest{0};

void Note(size_t bytes) {
    size_t seen = g_largest.load(std::memory_order_relaxed);
    while (bytes > seen && !g_largest.compare_exchange_weak(seen, bytes, std::memory_order_relaxed)) {
    }
}
}  // namespace

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);

void* malloc(size_t n) {
    Note(n);
    return __libc_malloc(n);
}
void* calloc(size_t count, size_t n) {
    Note(count * n);
    return __libc_calloc(count, n);
}
void* realloc(void* p, size_t n) {
    Note(n);
    return __libc_realloc(p, n);
}
void free(void* p) { __libc_free(p); }
}

namespace {

const std::string kDamaged = QM_SOURCE_DIR "/report/tests/image/damaged/";

// A 17 x 9 palette picture whose suggested-palette chunk claims 1.9 GB in a file of 126 bytes.
TEST(PngMemory, ChunkClaimsAreNotAllocatedAtTheirClaimedSize) {
    CImageFile image;
    g_largest = 0;
    // The file ends long before the claimed chunk does: it cannot be read, and says so.
    EXPECT_FALSE(image.Load((kDamaged + "splt_claims_2gb.png").c_str(), IMAGE_FORMAT_PNG));
    EXPECT_NE(image.GetErrorText(), "");
    EXPECT_LE(g_largest.load(), size_t(16) << 20) << "largest single allocation";
    EXPECT_LE(g_largest.load(), size_t(image_limits::kMaxDecodeBytes));
}

}  // namespace
