# Report generation: the entry points, the table of contents, page fields, frames, failures, images, and
# whole reports from template, data and parameter files checked element by element. Reports and parameter
# files are files of the store: these run under the sanitizer too.
qm_add_test(report_generation_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/model/model_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/report_integrity.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/generation_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/integrity_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/generate_report_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/content_generation_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/save_bitmap_test.cpp
  LIBS folivox
  LABELS asan)
