# The desktop program (Qt 6 Widgets).
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(tallowmark_gui STATIC
  presentation/RecordPane.cpp
  presentation/RecordTableModel.cpp
  presentation/TallowmarkView.cpp
  presentation/TimelineChart.cpp
  shell/ChildFrame.cpp
  shell/MainFrame.cpp
  shell/TallowmarkApp.cpp
  shell/ToolbarIcons.cpp
  shell/UserPrompts.cpp
  shell/ViewingDefaults.cpp
)
set_target_properties(tallowmark_gui PROPERTIES AUTOMOC ON)
target_link_libraries(tallowmark_gui PUBLIC tallowmark_core Qt6::Widgets)

add_executable(tallowmark shell/main.cpp)
target_link_libraries(tallowmark PRIVATE tallowmark_gui)
if(WIN32)
  set_target_properties(tallowmark PROPERTIES WIN32_EXECUTABLE ON)
endif()

# The help page ships beside the program.
configure_file(shell/help/tallowmark-help.html ${CMAKE_BINARY_DIR}/tallowmark-help.html COPYONLY)
