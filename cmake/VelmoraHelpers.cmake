# Adds every immediate subdirectory of the current source directory that has a CMakeLists.txt,
# so each area owns its own build file and nobody edits a shared list to add one.
function(velmora_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
       AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# velmora_note_test_program(<target> <labels>): the program that the tests with these labels run,
# for velmora_add_label_target().
function(velmora_note_test_program target labels)
  foreach(label IN LISTS labels)
    set_property(GLOBAL APPEND PROPERTY VELMORA_TEST_PROGRAMS_${label} ${target})
  endforeach()
endfunction()

# velmora_add_label_target(<label>): after every test is declared, the target velmora_<label>_tests
# that builds just the programs the tests with this label run, so a build for `ctest -L <label>`
# compiles nothing more. Every test with the label must come from velmora_add_gtest,
# velmora_add_x11_gtest or a program noted with velmora_note_test_program.
function(velmora_add_label_target label)
  get_property(programs GLOBAL PROPERTY VELMORA_TEST_PROGRAMS_${label})
  add_custom_target(velmora_${label}_tests)
  add_dependencies(velmora_${label}_tests ${programs})
endfunction()

# velmora_compile_as_test(<target>): how test code is compiled. The code under test keeps the
# build type's flags in its own libraries; the tests' own code gains little from -O2, which
# costs much of its compile time, and a program's sources are compiled together (one unit per
# few files) so the heavy headers they share are parsed once.
function(velmora_compile_as_test target)
  target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo>:-O1>)
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON)
endfunction()

# velmora_add_test_objects(NAME name SOURCES ... [LIBS ...] [DEFINITIONS ...])
# Test code that several test programs share (an entry point, fixtures, referees), compiled once
# as an object library; a program takes its objects by naming it among its LIBS.
function(velmora_add_test_objects)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;DEFINITIONS" ${ARGN})
  add_library(${T_NAME} OBJECT ${T_SOURCES})
  velmora_compile_as_test(${T_NAME})
  target_link_libraries(${T_NAME} PUBLIC ${T_LIBS} GTest::gtest)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE
    VELMORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VELMORA_BINARY_DIR="${CMAKE_BINARY_DIR}" ${T_DEFINITIONS})
endfunction()

# velmora_add_gtest(NAME name SOURCES ... [LIBS ...] [LABELS ...] [ENVIRONMENT ...] [EACH_CASE])
# One GoogleTest executable, registered with CTest as one test; with EACH_CASE every TEST and
# TEST_F of its sources is a CTest test of its own, run in a fresh process (for code whose
# failures can outlive the case that caused them, such as a third-party library's threads).
# Label "sanitize" marks codec and engine tests that the sanitizer build runs in CI.
function(velmora_add_gtest)
  cmake_parse_arguments(T "EACH_CASE" "NAME" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  velmora_compile_as_test(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE
    VELMORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VELMORA_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # Each test program gets its own settings and cache folders, so no test touches the user's.
  set(home ${CMAKE_BINARY_DIR}/test-home/${T_NAME})
  if(T_EACH_CASE)
    include(GoogleTest)
    gtest_add_tests(TARGET ${T_NAME} SOURCES ${T_SOURCES} TEST_PREFIX "${T_NAME}."
                    EXTRA_ARGS --gtest_brief=1 TEST_LIST tests)
    set(timeout 120)
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1)
    set(tests ${T_NAME})
    set(timeout 900)
  endif()
  set_tests_properties(${tests} PROPERTIES
    LABELS "${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${home}/config;XDG_CACHE_HOME=${home}/cache;${T_ENVIRONMENT}"
    TIMEOUT ${timeout})
  velmora_note_test_program(${T_NAME} "${T_LABELS}")
endfunction()

# velmora_add_x11_gtest(NAME name SOURCES ... [LIBS ...] [LABELS ...])
# A GoogleTest program that needs a real X server: run under Xvfb (1024 x 768) on the xcb platform.
function(velmora_add_x11_gtest)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  velmora_compile_as_test(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE VELMORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME ${T_NAME}
    COMMAND xvfb-run -a -s "-screen 0 1024x768x24" $<TARGET_FILE:${T_NAME}> --gtest_brief=1)
  set(home ${CMAKE_BINARY_DIR}/test-home/${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES
    LABELS "${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=xcb;XDG_CONFIG_HOME=${home}/config;XDG_CACHE_HOME=${home}/cache"
    TIMEOUT 300)
  velmora_note_test_program(${T_NAME} "${T_LABELS}")
endfunction()

# velmora_moc_only_where_needed(): after every target is declared, turns Qt's moc off for the
# targets that need none. AUTOMOC is on for the whole tree, but only a few files declare a
# Q_OBJECT; for every other program its scan and its empty moc unit cost about a second of
# build time each, some two hundred times over. A target keeps moc where one of its sources, or
# a header beside a source with the same name (the headers moc looks at), declares a Qt meta
# object or includes moc output. The scan runs at configure time: a file that gains the first
# Q_OBJECT of its target needs a new configure (`cmake --preset default`), or its link misses
# the moc code of that class.
function(velmora_moc_only_where_needed)
  _velmora_targets_below(${CMAKE_SOURCE_DIR} targets)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(INTERFACE_LIBRARY|UTILITY)$")
      continue()
    endif()
    _velmora_target_needs_moc(${target} needs)
    if(NOT needs)
      set_target_properties(${target} PROPERTIES AUTOMOC OFF)
    endif()
  endforeach()
endfunction()

function(_velmora_targets_below dir out)
  get_property(found DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(children DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(child IN LISTS children)
    _velmora_targets_below(${child} below)
    list(APPEND found ${below})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(_velmora_target_needs_moc target out)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  set(${out} FALSE PARENT_SCOPE)
  foreach(src IN LISTS sources)
    if(src MATCHES "^\\$<")
      continue()
    endif()
    cmake_path(ABSOLUTE_PATH src BASE_DIRECTORY ${dir})
    cmake_path(REMOVE_EXTENSION src LAST_ONLY OUTPUT_VARIABLE stem)
    foreach(file IN ITEMS ${src} ${stem}.h ${stem}.hpp ${stem}_p.h)
      if(EXISTS ${file})
        file(STRINGS ${file} hits LIMIT_COUNT 1
             REGEX "Q_OBJECT|Q_GADGET|Q_NAMESPACE|Q_PLUGIN_METADATA|#include [\"<](moc_|.*\\.moc[\">])")
        if(hits)
          set(${out} TRUE PARENT_SCOPE)
          return()
        endif()
      endif()
    endforeach()
  endforeach()
endfunction()
