# One GoogleTest binary per layer, named <layer>_tests, its cases labelled with the layer.
find_package(GTest REQUIRED)
include(GoogleTest)

# celdara_layer_tests(<layer> SOURCES <files...> LIBS <targets...> [QT] [PTY])
# QT gives the binary a main that creates a QApplication on the offscreen platform, and Qt's
# test helpers; others use GoogleTest's own main. PTY marks cases that open pseudo-terminals:
# they run one at a time, since the kernel hands a just-closed terminal's number to the next
# process that asks, and a case reopening its terminal's path could meet another case's.
function(celdara_layer_tests layer)
    cmake_parse_arguments(ARG "QT;PTY" "" "SOURCES;LIBS" ${ARGN})
    set(target ${layer}_tests)
    if(ARG_QT)
        find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
        add_executable(${target} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/QtTestMain.cpp)
        target_link_libraries(${target} PRIVATE ${ARG_LIBS} Qt6::Widgets Qt6::Test GTest::gtest GTest::gmock)
    else()
        add_executable(${target} ${ARG_SOURCES})
        target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    endif()
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    set(properties LABELS ${layer})
    if(ARG_PTY)
        list(APPEND properties RESOURCE_LOCK pty)
    endif()
    gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ${properties})
endfunction()
