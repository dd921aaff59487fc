# quiescor_add_test(<name> SOURCES <files...> [LIBS <targets...>])
# One GoogleTest program, one CTest entry: each Wine start costs time, so a program
# runs all its cases in one process.
function(quiescor_add_test name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  if(WIN32)
    target_link_libraries(${name} PRIVATE ${arg_LIBS} gtest gmock gtest_main)
  else()
    target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endfunction()

# The path of a build file as a Windows program under Wine sees it.
function(quiescor_wine_path out path)
  string(REPLACE "/" "\\\\" winpath "Z:${path}")
  set(${out} "${winpath}" PARENT_SCOPE)
endfunction()
