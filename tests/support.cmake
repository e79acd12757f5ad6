# What the Windows test programs and the benchmarks share, compiled once:
# the loopback Finger, WhoIs and HTTP servers, and the helpers for temporary files,
# the installation key and whole-file reads, for waits against a deadline and
# for reading windows, the test's own or the program's. The top CMakeLists.txt includes
# this for every Windows build, so that the benchmarks have it also when the
# tests are left out.
add_library(pellwick_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/win/loopback_server_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win/test_support_win.cpp)
target_include_directories(pellwick_test_support
  PUBLIC ${CMAKE_CURRENT_LIST_DIR}
  PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(pellwick_test_support PUBLIC ws2_32 advapi32 crypt32 PRIVATE pellwick_warnings)
