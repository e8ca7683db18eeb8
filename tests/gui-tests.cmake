file(GLOB GUI_TEST_SOURCES CONFIGURE_DEPENDS gui/*Test.cpp)
add_executable(gui_tests gui/GuiTest.cpp ${GUI_TEST_SOURCES})
target_include_directories(gui_tests PRIVATE gui)
target_link_libraries(gui_tests PRIVATE app testsupport Qt6::Test GTest::gtest)
target_compile_definitions(gui_tests PRIVATE AP_ARTWORK_PATH="$<TARGET_FILE:ap-artwork>")
add_dependencies(gui_tests ap-artwork)
gtest_discover_tests(gui_tests DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")

add_executable(e2e_tests e2e/UtilityE2ETest.cpp e2e/X11Session.cpp)
target_link_libraries(e2e_tests PRIVATE device_core resources platform testsupport GTest::gtest)
target_compile_definitions(e2e_tests PRIVATE AP_UTILITY_PATH="$<TARGET_FILE:ap-utility>")
add_dependencies(e2e_tests ap-utility)
# The tests that start X servers of their own take turns: two servers started at once can
# take one display number, and the loser's start leaves the winner's clients without it.
gtest_discover_tests(e2e_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 RESOURCE_LOCK x11)

add_executable(x11_tests e2e/FindWindowTest.cpp e2e/X11Session.cpp)
target_link_libraries(x11_tests PRIVATE platform xcb GTest::gtest)
gtest_discover_tests(x11_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120 RESOURCE_LOCK x11)

# The utility as a screen reader reads it: every field's name over AT-SPI, from outside.
add_test(NAME atspi_names
    COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/atspi-names.sh ${CMAKE_BINARY_DIR})
set_tests_properties(atspi_names PROPERTIES TIMEOUT 180 RESOURCE_LOCK x11)

# The hexadecimal fields again at 144 dots per inch: the dialog font, and with it the
# dialog units, half as large again in pixels.
add_test(NAME gui_tests.HexFieldsAt144Dpi
    COMMAND gui_tests --gtest_filter=EncryptionPageTest.HexFieldsHoldTheWidestPairWhole)
set_tests_properties(gui_tests.HexFieldsAt144Dpi PROPERTIES TIMEOUT 120 ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_SOURCE_DIR}/gui/offscreen-144dpi.json;QT_ENABLE_HIGHDPI_SCALING=0;AP_TEST_DPI=144")
