# The Windows COM server's tests under Wine, counted by ctest in the Linux
# build: scripts/test-windows-wine.sh cross-builds the DLL and its test
# programs, registers them in a temporary Wine prefix and runs them under
# Xvfb. Without Wine the test is skipped (return code 77).
add_executable(golden_models_dump
  ${PROJECT_SOURCE_DIR}/windows/tests/golden_models_dump.cpp
  ${PROJECT_SOURCE_DIR}/tests/golden/GoldenModels.cpp)
target_include_directories(golden_models_dump PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(golden_models_dump PRIVATE ostrel_core)

add_test(NAME WindowsComServerUnderWine
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/test-windows-wine.sh
          $<TARGET_FILE:golden_models_dump> ${CMAKE_CURRENT_BINARY_DIR}/windows)
set_tests_properties(WindowsComServerUnderWine PROPERTIES
  SKIP_RETURN_CODE 77 TIMEOUT 900 RUN_SERIAL TRUE)
