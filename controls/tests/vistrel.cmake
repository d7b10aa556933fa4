# Stock icons, the logo and the please-wait dialog, drawn under Qt's offscreen platform.
qm_add_test(vistrel_art_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/stock_icons_test.cpp ${CMAKE_CURRENT_LIST_DIR}/please_wait_dlg_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/gui_test_app.cpp
  LIBS vistrel)

# The please-wait window's helper process. No Qt application in this process: the tests set the
# display variables themselves (and start Xvfb through the test kit when it is installed).
qm_add_test(vistrel_wait_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/please_wait_test.cpp
  LIBS vistrel qm_testkit
  TIMEOUT 60)

# The menu tests load the resources of menu_test.rc as the program's.
function(vistrel_menu_test name)
  cmake_parse_arguments(M "" "" "SOURCES;LABELS" ${ARGN})
  qm_add_test(${name}
    SOURCES ${M_SOURCES} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/menu_fixture.cpp
            ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/menu_test_bitmaps.cpp ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/gui_test_app.cpp
    LIBS vistrel
    LABELS ${M_LABELS})
  if(TARGET ${name})
    qm_add_resources(${name} Program ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/menu_test.rc)
  endif()
endfunction()

# Menus: templates, loading and the model, run under the address sanitizer too (no display needed).
vistrel_menu_test(vistrel_menu_model_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/menu_template_test.cpp ${CMAKE_CURRENT_LIST_DIR}/menu_model_test.cpp
  LABELS asan)
# Menu icons from toolbars, accelerator alignment and the looks' picture operations (offscreen).
vistrel_menu_test(vistrel_menu_icon_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/menu_icons_test.cpp)
# Menus on widgets (offscreen): hooks, tracking with keys and mnemonics, the frame's bar, items drawn.
# The button's images, tooltip and drop menu by resource number come with them.
vistrel_menu_test(vistrel_menu_widget_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/menu_widgets_test.cpp
                  ${CMAKE_CURRENT_LIST_DIR}/button_resources_test.cpp)

# Menus in a real window on a test X server (Xvfb, xdotool, xwd), driven from outside.
if(NOT QM_SANITIZE)
  add_executable(vistrel_menu_window ${CMAKE_CURRENT_LIST_DIR}/menu_window_main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/menu_test_bitmaps.cpp)
  target_link_libraries(vistrel_menu_window PRIVATE vistrel qm_testkit)
  qm_add_resources(vistrel_menu_window Program ${CMAKE_CURRENT_LIST_DIR}/menu_test.rc)
  qm_add_test(vistrel_menu_window_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/menu_window_test.cpp
    LIBS vistrel qm_testkit
    LABELS xvfb
    TIMEOUT 120)
  add_dependencies(vistrel_menu_window_tests vistrel_menu_window)
endif()
