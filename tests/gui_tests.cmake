find_package(Qt6 REQUIRED COMPONENTS Test)
add_executable(tallowmark_gui_tests gui/GuiTestMain.cpp gui/GuiTestSupport.cpp gui/ShellTest.cpp gui/DesktopTest.cpp gui/FindFilesTest.cpp gui/FileActionsTest.cpp gui/AboutDlgTest.cpp
  gui/FilterTest.cpp gui/EvidenceListTest.cpp gui/WindowTest.cpp)
if(NOT WIN32)
  target_sources(tallowmark_gui_tests PRIVATE gui/OpenImageTest.cpp)
endif()
set_target_properties(tallowmark_gui_tests PROPERTIES AUTOMOC ON)
target_link_libraries(tallowmark_gui_tests PRIVATE tallowmark_gui tallowmark_sample_scene tallowmark_test_support Qt6::Test GTest::gtest)
target_compile_definitions(tallowmark_gui_tests PRIVATE
  TALLOWMARK_FIXTURES_DIR="${CMAKE_SOURCE_DIR}/../shared/fixtures/real"
  TALLOWMARK_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}"
  TALLOWMARK_EXECUTABLE="$<TARGET_FILE:tallowmark>")
add_dependencies(tallowmark_gui_tests tallowmark)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(tallowmark_gui_tests PRIVATE -Wno-missing-field-initializers)
endif()
# The help page is looked for beside the test program.
add_custom_command(TARGET tallowmark_gui_tests POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/shell/help/tallowmark-help.html $<TARGET_FILE_DIR:tallowmark_gui_tests>)
gtest_discover_tests(tallowmark_gui_tests DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
