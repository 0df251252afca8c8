# SPDX-License-Identifier: GPL-3.0-or-later
# The antenna library's pictures, drawn at build time by a small tool of
# ours, and the help document, both beside the programs; and the tests of the
# 3D view, the library, launching, the information panel and printing.
add_executable(antpics tools/antpics.cpp)
target_link_libraries(antpics PRIVATE Qt6::Gui)
set_target_properties(antpics PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

set(ANTENNA_PICTURES Dipole5 Dipole2 Folded Mono5 Mono2 Drooping Loopc Loopd Loops Yagi Spirla
    Helical Horn Patch)
list(TRANSFORM ANTENNA_PICTURES PREPEND ${VELORAN_BIN_DIR}/ OUTPUT_VARIABLE picture_outputs)
list(TRANSFORM picture_outputs APPEND .bmp)
add_custom_command(OUTPUT ${picture_outputs}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:antpics> ${VELORAN_BIN_DIR}
  DEPENDS antpics
  COMMENT "Drawing the antenna pictures"
  VERBATIM)
add_custom_command(OUTPUT ${VELORAN_BIN_DIR}/antenna-help.html
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_CURRENT_SOURCE_DIR}/help/antenna-help.html
          ${VELORAN_BIN_DIR}/antenna-help.html
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/help/antenna-help.html
  VERBATIM)
add_custom_target(antenna_library_files DEPENDS ${picture_outputs} ${VELORAN_BIN_DIR}/antenna-help.html)
add_dependencies(antenna antenna_library_files)

if(BUILD_TESTING)
veloran_add_test(antenna_library_tests
  SOURCES tests/library_test.cpp tests/info_print_test.cpp tests/threed_test.cpp
  LIBS antenna_core runtime_test_main pattern_test_support)
add_dependencies(antenna_library_tests antenna_library_files)
# The 3D view's pictures, screenshots and printing: the run-time draws the
# solid itself, so these run offscreen like the rest.
veloran_add_test(antenna_3d_picture_tests
  SOURCES tests/threed_picture_test.cpp
  LIBS antenna_core runtime_test_main pattern_test_support)
endif()
