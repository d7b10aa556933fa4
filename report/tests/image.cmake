# Raster images and their file formats: round trips, an independent decoder, damaged files (some kept in
# image/damaged/) and the size and memory caps.
qm_add_test(report_image_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/image/image_test_util.cpp
    ${CMAKE_CURRENT_LIST_DIR}/image/image_file_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/image/round_trip_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/image/format_reading_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/image/caps_test.cpp
  SOLO ${CMAKE_CURRENT_LIST_DIR}/image/damaged_files_test.cpp
  LIBS folivox_image Qt6::Gui
  LABELS asan)

# libpng's own allocations, watched through a replaced malloc: a program of its own, never sanitized.
qm_add_test(report_png_memory_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/image/png_memory_test.cpp
  LIBS folivox_image)
