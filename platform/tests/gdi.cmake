# The drawing layer and text measuring: draws onto images under the offscreen platform.
qm_add_test(platform_gdi_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/gdi/gui_environment.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gdi/mapping_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gdi/objects_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gdi/shapes_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gdi/clip_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gdi/text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gdi/image_test.cpp
  SOLO ${CMAKE_CURRENT_LIST_DIR}/gdi/measurer_test.cpp
  LIBS zorplatform Qt6::Gui)

# The metafile reader on damaged bytes; no application object, so it runs in the sanitizer build too.
qm_add_test(platform_emf_reader_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gdi/emf_reader_test.cpp
  LIBS zorplatform
  LABELS asan)

# The metafile recorder and reader (emf2svg, when installed, reads what we write).
qm_add_test(platform_emf_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/gdi/gui_environment.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gdi/emf_test.cpp
  LIBS zorplatform Qt6::Gui)

# No QGuiApplication in this one.
qm_add_test(platform_gdi_noapp_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gdi/no_application_test.cpp
  LIBS zorplatform)
