# Build of the rooms below the toolkit only (DN_CORE_ONLY): no Qt. GoogleTest is
# built from the sources that Debian's googletest package installs, with the
# compiler of this build, since no prebuilt copy exists for a cross target.
set(DN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${DN_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${DN_GTEST_SOURCE} (package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${DN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
foreach(t gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${t})
        add_library(GTest::${t} ALIAS ${t})
    endif()
endforeach()
