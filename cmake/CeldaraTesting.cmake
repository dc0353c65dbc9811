# One GoogleTest binary per layer, named <layer>_tests, its cases labelled with the layer.
find_package(GTest REQUIRED)
include(GoogleTest)

# celdara_layer_tests(<layer> SOURCES <files...> LIBS <targets...> [QT])
# QT runs the cases on the offscreen platform so that no display is needed.
function(celdara_layer_tests layer)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
    set(target ${layer}_tests)
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    set(env "")
    if(ARG_QT)
        set(env ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
    gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS ${layer} ${env})
endfunction()
