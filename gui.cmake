# The desktop program (Qt 6 Widgets).
find_package(Qt6 REQUIRED COMPONENTS Widgets Network Svg)

# The Qt halves of the folders, over their windowless layers.
add_subdirectory(widgets)
add_subdirectory(presentation/qt)
add_subdirectory(actions/qt)
add_subdirectory(discovery/qt)
add_subdirectory(shell/qt)
# Every Qt layer at once, for the tests, benchmarks and tools.
add_library(tallowmark_gui INTERFACE)
target_link_libraries(tallowmark_gui INTERFACE tallowmark_shell_qt)
set(TALLOWMARK_ICON_FILES)
foreach(icon tallowmark index-document)
  foreach(size 16 32 48 256)
    list(APPEND TALLOWMARK_ICON_FILES shell/icons/${icon}-${size}.png)
  endforeach()
endforeach()
list(APPEND TALLOWMARK_ICON_FILES shell/icons/tallowmark.svg)  # for the desktop's icon theme
qt_add_resources(tallowmark_shell_qt tallowmark_icons PREFIX /icons BASE shell/icons FILES ${TALLOWMARK_ICON_FILES})
set(TALLOWMARK_TOOLBAR_PICTURES)
foreach(name document-open document-save-as edit-cut edit-copy edit-paste help-about help-contextual)
  list(APPEND TALLOWMARK_TOOLBAR_PICTURES shell/icons/toolbar/${name}.svg)
endforeach()
qt_add_resources(tallowmark_shell_qt tallowmark_toolbar PREFIX /toolbar BASE shell/icons/toolbar
                 FILES ${TALLOWMARK_TOOLBAR_PICTURES})

add_executable(tallowmark shell/qt/main.cpp)
target_link_libraries(tallowmark PRIVATE tallowmark_gui)
if(WIN32)
  set_target_properties(tallowmark PROPERTIES WIN32_EXECUTABLE ON)
endif()

# Pictures for people to look at: make screenshots.
# The scene the pictures show, shared with the GUI tests.
tallowmark_layer(tallowmark_sample_scene tools SOURCES SampleScene.cpp LINKS tallowmark_gui)
add_executable(tallowmark_screenshots tools/ScreenshotsMain.cpp)
target_link_libraries(tallowmark_screenshots PRIVATE tallowmark_sample_scene)
if(TALLOWMARK_BUILDS_BENCH)
  # A file large enough for the picture of a long load.
  target_link_libraries(tallowmark_screenshots PRIVATE tallowmark_bench_support)
  target_compile_definitions(tallowmark_screenshots PRIVATE TALLOWMARK_HAVE_GENERATOR)
endif()

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
