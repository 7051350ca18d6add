# The desktop program (Qt 6 Widgets).
find_package(Qt6 REQUIRED COMPONENTS Widgets Network Svg)

add_library(tallowmark_gui STATIC
  discovery/FindFilesDlg.cpp
  actions/FilePropertiesGeneral.cpp
  presentation/RecordPane.cpp
  presentation/RecordTableModel.cpp
  shell/AppIcons.cpp
  presentation/TallowmarkView.cpp
  presentation/TimelineChart.cpp
  shell/AboutDlg.cpp
  shell/ChildFrame.cpp
  shell/CommandActions.cpp
  shell/DocumentCommands.cpp
  shell/DocumentManager.cpp
  shell/HelpWindow.cpp
  shell/LockKeyIndicators.cpp
  shell/MainFrame.cpp
  shell/OpenChannel.cpp
  shell/TallowmarkApp.cpp
  shell/ToolbarIcons.cpp
  shell/UserPrompts.cpp
  shell/ViewCommands.cpp
  shell/ViewingDefaults.cpp
  shell/WindowArrangement.cpp
  widgets/MessageBoxes.cpp
)
set_target_properties(tallowmark_gui PROPERTIES AUTOMOC ON)
target_link_libraries(tallowmark_gui PUBLIC tallowmark_core tallowmark_desktop Qt6::Widgets Qt6::Network Qt6::Svg)
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
list(APPEND TALLOWMARK_ICON_FILES shell/icons/tallowmark.svg)  # for the desktop's icon theme
qt_add_resources(tallowmark_gui tallowmark_icons PREFIX /icons BASE shell/icons FILES ${TALLOWMARK_ICON_FILES})
set(TALLOWMARK_TOOLBAR_PICTURES)
foreach(name document-open document-save-as edit-cut edit-copy edit-paste help-about help-contextual)
  list(APPEND TALLOWMARK_TOOLBAR_PICTURES shell/icons/toolbar/${name}.svg)
endforeach()
qt_add_resources(tallowmark_gui tallowmark_toolbar PREFIX /toolbar BASE shell/icons/toolbar
                 FILES ${TALLOWMARK_TOOLBAR_PICTURES})

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

# Installation: the programs, and for the desktop the entry, the MIME package, the icons,
# the manual page and the software centre's description, so that a distribution can
# package them without the start-time registration.
include(GNUInstallDirs)
install(TARGETS tallowmark RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES shell/help/tallowmark-help.html DESTINATION ${CMAKE_INSTALL_DATADIR}/tallowmark)
if(NOT WIN32)
  add_executable(tallowmark-desktop-files platform/posix/WriteDesktopFilesMain.cpp)
  target_link_libraries(tallowmark-desktop-files PRIVATE tallowmark_core)
  # Written at install time, so that the entry names the executable under the prefix
  # actually installed to (cmake --install --prefix).
  set(TALLOWMARK_DESKTOP_DIR ${CMAKE_CURRENT_BINARY_DIR}/desktop)
  install(CODE "
    file(MAKE_DIRECTORY \"${TALLOWMARK_DESKTOP_DIR}\")
    execute_process(COMMAND \"$<TARGET_FILE:tallowmark-desktop-files>\"
                    \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tallowmark\" \"${TALLOWMARK_DESKTOP_DIR}\"
                    COMMAND_ERROR_IS_FATAL ANY)
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\" TYPE FILE
         FILES \"${TALLOWMARK_DESKTOP_DIR}/tallowmark.desktop\")
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/mime/packages\" TYPE FILE
         FILES \"${TALLOWMARK_DESKTOP_DIR}/tallowmark.xml\")
  ")
  tallowmark_manual_page(tallowmark)
  # What software centres show; its launchable is the entry above.
  install(FILES packaging/org.example.Tallowmark.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES shell/icons/tallowmark.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 32 48 256)
    install(FILES shell/icons/tallowmark-${size}.png RENAME tallowmark.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  # A direct install (not into a package's staging folder) lets the desktop see it now.
  install(CODE "
    if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
      find_program(UPDATE_MIME update-mime-database)
      find_program(UPDATE_DESKTOP update-desktop-database)
      if(UPDATE_MIME)
        execute_process(COMMAND \${UPDATE_MIME} \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/mime\")
      endif()
      if(UPDATE_DESKTOP)
        execute_process(COMMAND \${UPDATE_DESKTOP} \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
      endif()
    endif()
  ")
endif()
