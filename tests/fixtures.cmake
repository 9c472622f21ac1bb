# Fixtures the tests build: a plug-in module library that the start-up tests load, and the
# program itself for the end-to-end runs of --script. Include this file at the end of
# tests/CMakeLists.txt.
add_library(varno_test_module SHARED ${CMAKE_CURRENT_SOURCE_DIR}/data/startup/module/TestModule.cpp)
target_include_directories(varno_test_module PRIVATE ${PROJECT_SOURCE_DIR}/src)
set_target_properties(varno_test_module PROPERTIES
  LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests/fixtures
  PREFIX "" OUTPUT_NAME "testmodule")
varno_warnings(varno_test_module)
if(TARGET startup_tests)
  add_dependencies(startup_tests varno_test_module varno)
endif()
