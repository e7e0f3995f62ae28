find_package(GTest REQUIRED)
include(GoogleTest)

# pulsegrove_add_test(NAME <exe> SOURCES <files...> LIBRARIES <libs...> [QT [VIEWS]])
# Registers one GoogleTest executable with CTest. A QT test gets a main that creates a
# QApplication on the offscreen platform, so widget tests never need a desktop session; a VIEWS
# test's main also sets the application's default font as the application does.
function(pulsegrove_add_test)
    cmake_parse_arguments(ARG "QT;VIEWS" "NAME" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBRARIES} pulsegrove_settings
        GTest::gtest GTest::gmock pulsegrove_test_support)
    if(ARG_QT AND ARG_VIEWS)
        target_link_libraries(${ARG_NAME} PRIVATE pulsegrove_view_test_main)
    elseif(ARG_QT)
        target_link_libraries(${ARG_NAME} PRIVATE pulsegrove_qt_test_main)
    else()
        target_link_libraries(${ARG_NAME} PRIVATE GTest::gtest_main)
    endif()
    gtest_discover_tests(${ARG_NAME}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TZ=UTC" TIMEOUT 120)
    # Each case above runs in a process of its own, which hides a case that depends on what an
    # earlier one left behind; the whole program, in one process and a shuffled order, finds it.
    add_test(NAME ${ARG_NAME}.WholeProgramInOneProcess COMMAND ${ARG_NAME} --gtest_shuffle)
    set_tests_properties(${ARG_NAME}.WholeProgramInOneProcess PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TZ=UTC" TIMEOUT 600)
endfunction()
