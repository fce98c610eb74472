# GoogleTest's targets for every room's tests. A cross build has no
# GoogleTest for its target: it builds one from sources (Debian's googletest
# package puts them in /usr/src/googletest).
set(QUILLBARY_GTEST_SOURCE "" CACHE PATH "GoogleTest sources to build with the project's compiler")
if(QUILLBARY_GTEST_SOURCE)
  set(CMAKE_POLICY_DEFAULT_CMP0077 NEW)
  set(BUILD_GMOCK OFF)
  set(INSTALL_GTEST OFF)
  add_subdirectory(${QUILLBARY_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)
