# The text controls in one real gallery window on a test X server, their screen taken from outside.
if(NOT QM_SANITIZE)
  add_executable(text_gallery ${CMAKE_CURRENT_LIST_DIR}/text_gallery_program.cpp)
  target_link_libraries(text_gallery PRIVATE vistrel zorui qm_testkit)
  qm_add_test(vistrel_text_gallery_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/text_gallery_test.cpp
    LIBS vistrel qm_testkit
    LABELS xvfb
    TIMEOUT 60)
  add_dependencies(vistrel_text_gallery_tests text_gallery)
endif()
