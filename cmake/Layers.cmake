# One library per source folder (and per qt/ half of a folder), each seeing only its own
# headers and those of the libraries it links: a file that includes a header of a layer
# above its own, or a Qt header outside a Qt layer, does not compile.
#
# A layer sees headers through a folder of its own in the build tree, which holds one
# forwarding header per header of the layer (model/Format.h there includes the real
# model/Format.h); the source tree itself is never on an include path.

# tallowmark_layer(NAME FOLDER [HEADER_FOLDERS folder...] [EXCLUDE header...]
#                  [SOURCES file...] [LINKS target...])
#   NAME            the library's target name
#   FOLDER          its folder, relative to the project's top (model, presentation/qt, ...)
#   HEADER_FOLDERS  further folders whose headers it owns (platform/posix, ...)
#   EXCLUDE         headers of those folders that belong to another layer
#   SOURCES         its sources, relative to its folder; none makes a header-only layer
#   LINKS           the layers (and libraries) below it that it uses
function(tallowmark_layer name folder)
  cmake_parse_arguments(LAYER "" "" "HEADER_FOLDERS;EXCLUDE;SOURCES;LINKS" ${ARGN})
  set(view ${CMAKE_BINARY_DIR}/layers/${name})
  set(wanted)
  foreach(headerFolder ${folder} ${LAYER_HEADER_FOLDERS})
    file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${headerFolder}/*.h)
    foreach(header ${headers})
      file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${header})
      if(relative IN_LIST LAYER_EXCLUDE)
        continue()
      endif()
      # Written only when its text changes, so a new configure rebuilds nothing.
      file(CONFIGURE OUTPUT ${view}/${relative} CONTENT "#include \"${header}\"\n" @ONLY)
      list(APPEND wanted ${view}/${relative})
    endforeach()
  endforeach()
  # A header that was moved or removed leaves no forwarder behind.
  file(GLOB_RECURSE present ${view}/*.h)
  foreach(forwarder ${present})
    if(NOT forwarder IN_LIST wanted)
      file(REMOVE ${forwarder})
    endif()
  endforeach()

  if(LAYER_SOURCES)
    list(TRANSFORM LAYER_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/${folder}/)
    add_library(${name} STATIC ${LAYER_SOURCES})
    target_include_directories(${name} PUBLIC ${view})
    target_link_libraries(${name} PUBLIC ${LAYER_LINKS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${view})
    target_link_libraries(${name} INTERFACE ${LAYER_LINKS})
  endif()
endfunction()
