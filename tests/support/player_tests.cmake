# velmora_add_player_tests(PLAYER program LIB library NAME prefix TESTS ... SCREENSHOTS ...
#                          REFEREE script)
# A player program's tests: <prefix>_tests on the offscreen platform, <prefix>_screenshot_tests
# on Xvfb, and <prefix>_referee, a Python script that judges the built program from outside on
# Xvfb, given the program, the outside package writer and a work folder.
function(velmora_add_player_tests)
  cmake_parse_arguments(P "" "PLAYER;LIB;NAME;REFEREE" "TESTS;SCREENSHOTS" ${ARGN})
  velmora_add_gtest(NAME ${P_NAME}_tests
    SOURCES ${P_TESTS}
    LIBS velmora_widgets_test_main ${P_LIB} Qt6::Test
    LABELS "app")
  velmora_add_x11_gtest(NAME ${P_NAME}_screenshot_tests
    SOURCES ${P_SCREENSHOTS}
    LIBS velmora_widgets_test_main ${P_LIB} Qt6::Test
    LABELS "app")
  add_test(NAME ${P_NAME}_referee
    COMMAND xvfb-run -a -s "-screen 0 1024x768x24" python3
            ${CMAKE_CURRENT_SOURCE_DIR}/${P_REFEREE} $<TARGET_FILE:${P_PLAYER}>
            ${CMAKE_SOURCE_DIR}/tests/output_package/write_package.py
            ${CMAKE_CURRENT_BINARY_DIR}/referee)
  set_tests_properties(${P_NAME}_referee PROPERTIES LABELS "app" TIMEOUT 120
    ENVIRONMENT "QT_QPA_PLATFORM=xcb")
endfunction()
