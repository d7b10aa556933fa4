# qm_use_huge_page_allocator(<executable>): the program's heap from Debian's jemalloc, set up (in the
# executable itself) to put its memory on the kernel's 2 MiB pages. Generating a large report faults in
# hundreds of megabytes; at 4 KiB a page that is most of its time on these machines. Left out of the
# sanitizer build (which brings its own allocator) and where jemalloc is not installed.
find_library(QM_JEMALLOC NAMES libjemalloc.so.2 jemalloc)
function(qm_use_huge_page_allocator target)
  if(QM_SANITIZE OR NOT QM_JEMALLOC)
    return()
  endif()
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/platform/zordata/huge_page_allocator.cpp)
  target_link_libraries(${target} PRIVATE ${QM_JEMALLOC})
endfunction()
