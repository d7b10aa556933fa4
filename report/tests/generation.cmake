# Report generation: the entry points, the table of contents, page fields, frames, failures, images, and
# whole reports from template, data and parameter files checked element by element. Reports and parameter
# files are files of the store: these run under the sanitizer too.
qm_add_test(report_generation_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/model/model_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/report_integrity.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/template_builder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/generation_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/integrity_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/generate_report_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/content_generation_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/save_bitmap_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/end_to_end.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/end_to_end_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/data_file_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/example_template.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/example_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/golden_rows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/golden_rows_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/cell_records_test.cpp
  SOLO ${CMAKE_CURRENT_LIST_DIR}/generation/damaged_template_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/golden_output_test.cpp
  LIBS folivox
  LABELS asan)

# The same with the program's measurer: real fonts at a fixed resolution, no window.
qm_add_test(report_generation_qt_tests
  SOURCES
    ${CMAKE_SOURCE_DIR}/platform/tests/gdi/gui_environment.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/model_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/report_integrity.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/template_builder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/generation_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/end_to_end.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/example_template.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/end_to_end_qt_test.cpp
  LIBS folivox Qt6::Gui)

# The example files of examples/ are remade by this helper, which also counts a report's sheets for
# `make run`.
if(NOT QM_SANITIZE)
  add_executable(quillmark_example
    ${CMAKE_CURRENT_LIST_DIR}/generation/example_tool.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/example_template.cpp
    ${CMAKE_CURRENT_LIST_DIR}/generation/template_builder.cpp)
  target_link_libraries(quillmark_example PRIVATE folivox)
endif()
