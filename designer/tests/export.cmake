# Image export of pages, the metafile export and the page image, and the settings, page set-up and export
# dialogs, with the report built through the model (its fixture and fixed metrics). Qt's SVG renderer
# draws what emf2svg makes of our metafiles.
find_package(Qt6 REQUIRED COMPONENTS Svg)
qm_add_test(designer_export_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/export_test.cpp ${CMAKE_CURRENT_LIST_DIR}/settings_dialogs_test.cpp
          ${CMAKE_SOURCE_DIR}/report/tests/model/model_fixture.cpp
  LIBS quillmark_core Qt6::Svg
  TIMEOUT 300)
