// The settings of the heap allocator (jemalloc) linked into the program: read by the allocator as the
// process starts, before main and before any environment could be consulted. Its memory is advised for
// the kernel's 2 MiB pages, its own bookkeeping too once it grows; the rest stays as jemalloc ships it.
extern "C" {
extern const char* malloc_conf;
const char* malloc_conf = "thp:always,metadata_thp:auto";
}
