# The desktop program (Qt 6 Widgets).
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(tallowmark_gui STATIC
  presentation/RecordTableModel.cpp
  shell/AppIcons.cpp
  presentation/TallowmarkView.cpp
  shell/ChildFrame.cpp
  shell/LockKeyIndicators.cpp
  shell/MainFrame.cpp
  shell/TallowmarkApp.cpp
  shell/ToolbarIcons.cpp
  shell/UserPrompts.cpp
  shell/ViewingDefaults.cpp
)
set_target_properties(tallowmark_gui PROPERTIES AUTOMOC ON)
target_link_libraries(tallowmark_gui PUBLIC tallowmark_core Qt6::Widgets)
# The lock-key panes read the keyboard's indicators through Xlib's XKB calls on X11.
find_package(X11)
if(X11_FOUND AND NOT WIN32 AND NOT APPLE)
  target_compile_definitions(tallowmark_gui PRIVATE TALLOWMARK_HAVE_X11)
  target_link_libraries(tallowmark_gui PRIVATE X11::X11)
endif()
set(TALLOWMARK_ICON_FILES)
foreach(icon tallowmark index-document)
  foreach(size 16 32 48 256)
    list(APPEND TALLOWMARK_ICON_FILES shell/icons/${icon}-${size}.png)
  endforeach()
endforeach()
qt_add_resources(tallowmark_gui tallowmark_icons PREFIX /icons BASE shell/icons FILES ${TALLOWMARK_ICON_FILES})

add_executable(tallowmark shell/main.cpp)
target_link_libraries(tallowmark PRIVATE tallowmark_gui)
if(WIN32)
  set_target_properties(tallowmark PROPERTIES WIN32_EXECUTABLE ON)
endif()

# Pictures for people to look at: make screenshots.
add_executable(tallowmark_screenshots tools/ScreenshotsMain.cpp tools/SampleScene.cpp)
target_link_libraries(tallowmark_screenshots PRIVATE tallowmark_gui)

# The help page ships beside the program.
configure_file(shell/help/tallowmark-help.html ${CMAKE_BINARY_DIR}/tallowmark-help.html COPYONLY)
