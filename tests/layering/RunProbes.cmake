# Builds each probe of PROBES in BUILD_DIR: those named refused_* must fail, allowed_* must
# compile. Lists every probe that did otherwise.
set(wrong)
foreach(probe ${PROBES})
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${probe}
                  RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(probe MATCHES "^refused_" AND result EQUAL 0)
    list(APPEND wrong "${probe}: compiled, though the layer may not see that header")
  elseif(probe MATCHES "^allowed_" AND NOT result EQUAL 0)
    list(APPEND wrong "${probe}: did not compile, so the probes prove nothing")
  endif()
endforeach()
if(wrong)
  list(JOIN wrong "\n" text)
  message(FATAL_ERROR "${text}")
endif()
