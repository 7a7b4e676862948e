# One static library per room of the source tree. Sources are found by glob so that
# adding a file to a room needs no edit of any CMakeLists.txt.
#
#   dn_room(<target> DIRS <dir>... [DEPS <target>...] [QT])
#
# DIRS are relative to the top of the tree. On POSIX the sub-folder "posix" of each
# DIR is compiled too, on Windows the sub-folder "win".
function(dn_room target)
    cmake_parse_arguments(R "QT" "" "DIRS;DEPS" ${ARGN})
    set(srcs "")
    if(WIN32)
        set(osdir win)
    else()
        set(osdir posix)
    endif()
    foreach(d IN LISTS R_DIRS)
        file(GLOB s CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/${d}/*.cpp ${PROJECT_SOURCE_DIR}/${d}/*.h
             ${PROJECT_SOURCE_DIR}/${d}/${osdir}/*.cpp ${PROJECT_SOURCE_DIR}/${d}/${osdir}/*.h)
        list(APPEND srcs ${s})
    endforeach()
    list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
    if(srcs)
        add_library(${target} STATIC ${srcs})
        target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${target} PUBLIC ${R_DEPS})
        if(R_QT)
            set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
        endif()
    else()
        add_library(${target} INTERFACE)
        target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${target} INTERFACE ${R_DEPS})
    endif()
endfunction()

# One GoogleTest executable per test folder: every *.cpp in it, and in its
# sub-folder "posix" or "win" as for the rooms (tests of what only one system has),
# linked with the shared fixtures of tests/support (dn_test_support).
#
#   dn_test(<name> DEPS <target>... [QT])
function(dn_test name)
    cmake_parse_arguments(T "QT" "" "DEPS" ${ARGN})
    if(WIN32)
        set(osdir win)
    else()
        set(osdir posix)
    endif()
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
         ${CMAKE_CURRENT_SOURCE_DIR}/${osdir}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${osdir}/*.h)
    if(NOT srcs)
        return()
    endif()
    add_executable(test_${name} ${srcs})
    target_link_libraries(test_${name} PRIVATE ${T_DEPS} dn_test_support GTest::gtest GTest::gmock GTest::gtest_main)
    target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    if(T_QT)
        set_target_properties(test_${name} PROPERTIES AUTOMOC ON)
    endif()
    gtest_discover_tests(test_${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;DN_BUILD_DIR=${DN_PATH_PREFIX}${PROJECT_BINARY_DIR};DN_SOURCE_DIR=${DN_PATH_PREFIX}${PROJECT_SOURCE_DIR}")
endfunction()
