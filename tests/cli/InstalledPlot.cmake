# Installs the build into a scratch prefix and draws a picture with the
# installed korvanes: its plot command must find korvanes-plot where the
# installation put it. Run by CTest with -DBUILD_DIR, -DSOURCE_DIR, -DPREFIX.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
execute_process(COMMAND ${PREFIX}/bin/korvanes plot ${SOURCE_DIR}/examples/basalt-mt1.kvd --type arai
                        --out ${PREFIX}/arai.png
                RESULT_VARIABLE drawn ERROR_VARIABLE errors)
file(READ ${PREFIX}/arai.png signature LIMIT 4 HEX)
file(REMOVE_RECURSE ${PREFIX})
if(NOT drawn EQUAL 0 OR NOT signature STREQUAL "89504e47")
  message(FATAL_ERROR "the installed korvanes drew no picture (${drawn}): ${errors}")
endif()
