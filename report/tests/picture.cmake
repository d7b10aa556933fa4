# The picture element: placeholder, loading, records, clones and the store. Records and stored pictures are
# read from outside, so these run under the sanitizer too.
set(QM_PICTURE_TEST_SUPPORT
  ${CMAKE_CURRENT_LIST_DIR}/model/model_fixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image/image_test_util.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture/picture_fixture.cpp)

qm_add_test(report_picture_tests
  SOURCES
    ${QM_PICTURE_TEST_SUPPORT}
    ${CMAKE_CURRENT_LIST_DIR}/picture/picture_element_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture/picture_store_test.cpp
  LIBS folivox Qt6::Gui TIFF::TIFF
  LABELS asan)

# Drawing in each draw mode at several zooms (offscreen platform).
qm_add_test(report_picture_draw_tests
  SOURCES
    ${QM_PICTURE_TEST_SUPPORT}
    ${CMAKE_SOURCE_DIR}/platform/tests/gdi/gui_environment.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture/picture_draw_test.cpp
  LIBS folivox Qt6::Gui TIFF::TIFF)

# The real program generating from a template that holds damaged pictures: copied, never decoded.
qm_add_test(report_picture_program_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/picture/picture_program_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/image/image_test_util.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/model_fixture.cpp
    ${CMAKE_SOURCE_DIR}/designer/tests/batch_fixture.cpp
  LIBS folivox qm_testkit zorbase Qt6::Gui TIFF::TIFF
  TIMEOUT 300)
if(TARGET report_picture_program_tests)
  add_dependencies(report_picture_program_tests quillmark)
endif()
