# The libraries of a Windows cross build. Debian's packages hold Linux builds only, so
# GoogleTest is built here from its source package for the target, and the two header-only
# libraries are used from copies of their headers: adding /usr/include itself to a cross
# build would put the host's C library headers before MinGW's.
set(TOLVANE_THIRD_PARTY_INCLUDE "${CMAKE_BINARY_DIR}/third_party/include")
file(COPY /usr/include/nlohmann /usr/include/CLI DESTINATION "${TOLVANE_THIRD_PARTY_INCLUDE}")

add_library(nlohmann_json INTERFACE)
target_include_directories(nlohmann_json SYSTEM INTERFACE "${TOLVANE_THIRD_PARTY_INCLUDE}")
add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json)
add_library(CLI11 INTERFACE)
target_include_directories(CLI11 SYSTEM INTERFACE "${TOLVANE_THIRD_PARTY_INCLUDE}")
add_library(CLI11::CLI11 ALIAS CLI11)

if(TOLVANE_BUILD_TESTS)
  set(TOLVANE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory("${TOLVANE_GOOGLETEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
endif()
