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

# zlib and minizip for the archive room. A native build takes the system's; the
# Windows cross build takes zlib as Debian builds it for MinGW (libz-mingw-w64-dev)
# and compiles minizip from zlib's sources, which test.sh --windows unpacks into
# zlib-src of the build folder (dn_zlib_source of scripts/deps.sh). Without them
# the archive room and its tests are left out.
if(CMAKE_CROSSCOMPILING)
    set(ZLIB_USE_STATIC_LIBS ON) # the executables are linked statically
endif()
find_package(ZLIB)
if(CMAKE_CROSSCOMPILING)
    set(DN_ZLIB_SOURCE ${CMAKE_BINARY_DIR}/zlib-src CACHE PATH "zlib sources, with contrib/minizip")
    set(dn_minizip_dir ${DN_ZLIB_SOURCE}/contrib/minizip)
    if(ZLIB_FOUND AND EXISTS ${dn_minizip_dir}/zip.c)
        add_library(dn_minizip STATIC ${dn_minizip_dir}/ioapi.c ${dn_minizip_dir}/zip.c
                                      ${dn_minizip_dir}/unzip.c)
        # Its own sources are not held to the project's warnings. No encryption: the
        # program uses none.
        target_compile_options(dn_minizip PRIVATE -w)
        target_compile_definitions(dn_minizip PUBLIC NOCRYPT NOUNCRYPT)
        target_include_directories(dn_minizip SYSTEM PUBLIC ${DN_ZLIB_SOURCE}/contrib)
        target_link_libraries(dn_minizip PUBLIC ZLIB::ZLIB)
        add_library(PkgConfig::MINIZIP ALIAS dn_minizip)
    else()
        message(WARNING "zlib for the target or its sources (DN_ZLIB_SOURCE) missing: "
                        "the archive room is not built")
    endif()
else()
    find_package(PkgConfig)
    if(ZLIB_FOUND AND PkgConfig_FOUND)
        pkg_check_modules(MINIZIP IMPORTED_TARGET minizip)
    endif()
endif()
