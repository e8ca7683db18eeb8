file(GLOB GUI_TEST_SOURCES CONFIGURE_DEPENDS gui/*Test.cpp)
add_executable(gui_tests gui/GuiTest.cpp ${GUI_TEST_SOURCES})
target_include_directories(gui_tests PRIVATE gui)
target_link_libraries(gui_tests PRIVATE app testsupport Qt6::Test GTest::gtest)
gtest_discover_tests(gui_tests DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
