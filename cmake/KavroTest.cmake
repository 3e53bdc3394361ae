# kavro_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l1 l2] [QT])
# One GoogleTest executable per module, registered with CTest.
# QT tests run on the offscreen platform so they need no display.
function(kavro_add_test name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    KAVRO_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    KAVRO_RESOURCES_DIR="${CMAKE_SOURCE_DIR}/resources")
  add_test(NAME ${name} COMMAND ${name})
  set(env "KAVRO_DEBUG=0")
  if(T_QT)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
