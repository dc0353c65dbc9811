# One GoogleTest binary per layer, named <layer>_tests, its cases labelled with the layer.
find_package(GTest REQUIRED)
include(GoogleTest)

# celdara_layer_tests(<layer> SOURCES <files...> LIBS <targets...> [QT])
# QT gives the binary a main that creates a QApplication on the offscreen platform, and Qt's
# test helpers; others use GoogleTest's own main.
function(celdara_layer_tests layer)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
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
    gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS ${layer})
endfunction()
