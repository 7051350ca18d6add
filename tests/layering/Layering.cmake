# The layers are held by the build itself (cmake/Layers.cmake): this test builds a probe
# in a few layers with a header each may not see, and one that it may, and fails when a
# wrong include compiles, so that a change to the build cannot quietly open the layers.
set(TALLOWMARK_LAYER_PROBES)
function(tallowmark_layer_probe name layer header)
  add_library(${name} STATIC EXCLUDE_FROM_ALL ${CMAKE_CURRENT_SOURCE_DIR}/layering/Probe.cpp)
  target_compile_definitions(${name} PRIVATE "PROBE_HEADER=<${header}>")
  target_link_libraries(${name} PRIVATE ${layer})
  set(TALLOWMARK_LAYER_PROBES ${TALLOWMARK_LAYER_PROBES} ${name} PARENT_SCOPE)
endfunction()
# Each "refused" probe must fail; "allowed" must compile, or the probes prove nothing.
tallowmark_layer_probe(refused_platform_sees_model tallowmark_platform model/Format.h)
tallowmark_layer_probe(refused_model_sees_presentation tallowmark_model presentation/RecordCells.h)
tallowmark_layer_probe(refused_presentation_sees_qt tallowmark_presentation QString)
tallowmark_layer_probe(refused_presentation_sees_its_qt_half tallowmark_presentation presentation/qt/TallowmarkView.h)
tallowmark_layer_probe(refused_forensic_sees_the_launchers tallowmark_forensic platform/DesktopLaunch.h)
tallowmark_layer_probe(refused_cli_sees_a_window tallowmark_cli_commands shell/qt/MainFrame.h)
tallowmark_layer_probe(allowed_presentation_sees_model tallowmark_presentation model/Format.h)
add_test(NAME LayersAreHeldByTheBuild
         COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} "-DPROBES=${TALLOWMARK_LAYER_PROBES}"
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/layering/RunProbes.cmake)
# Probes build in the test's own build tree; two builds at once would share its log.
set_tests_properties(LayersAreHeldByTheBuild PROPERTIES RUN_SERIAL TRUE)
