# SPDX-License-Identifier: GPL-3.0-or-later
# Build helpers shared by every layer.

# veloran_add_uir(<target> UIR <file.uir> HEADER <name.h> PANELS <n> <file.ui> ... [TEST])
# Packs the Designer forms of one program into a binary resource file beside
# the executables (beside the test programs with TEST) and generates the
# header of panel, control and menu-item constants from the same forms.
function(veloran_add_uir target)
  cmake_parse_arguments(U "TEST" "UIR;HEADER" "PANELS" ${ARGN})
  set(gen_dir ${CMAKE_CURRENT_BINARY_DIR}/uirgen)
  set(header ${gen_dir}/${U_HEADER})
  set(qrc ${gen_dir}/${U_UIR}.qrc)
  if(U_TEST)
    set(out_dir ${VELORAN_TEST_BIN_DIR})
  else()
    set(out_dir ${VELORAN_BIN_DIR})
  endif()
  set(uir ${out_dir}/${U_UIR})
  set(args)
  set(deps)
  list(LENGTH U_PANELS n)
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET U_PANELS ${i} num)
    list(GET U_PANELS ${j} file)
    get_filename_component(abs ${file} ABSOLUTE)
    list(APPEND args "${num}=${abs}")
    list(APPEND deps ${abs})
  endforeach()
  add_custom_command(
    OUTPUT ${header} ${qrc}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${gen_dir}
    COMMAND uirgen ${header} ${qrc} ${args}
    DEPENDS uirgen ${deps}
    COMMENT "Generating ${U_HEADER} from the ${U_UIR} panels"
    VERBATIM)
  add_custom_command(
    OUTPUT ${uir}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND Qt6::rcc -binary ${qrc} -o ${uir}
    DEPENDS ${qrc} ${deps}
    COMMENT "Packing ${U_UIR}"
    VERBATIM)
  add_custom_target(${target}_files DEPENDS ${header} ${uir})
  add_library(${target} INTERFACE)
  target_include_directories(${target} INTERFACE ${gen_dir})
  add_dependencies(${target} ${target}_files)
endfunction()

# veloran_offscreen_platform(<var> <width>x<height>)
# The QT_QPA_PLATFORM value of the offscreen platform with one screen of that
# size (the platform's own screen is 800 x 600, smaller than any desktop's).
function(veloran_offscreen_platform var size)
  string(REPLACE "x" ";" wh ${size})
  list(GET wh 0 w)
  list(GET wh 1 h)
  set(config ${CMAKE_BINARY_DIR}/offscreen-${size}.json)
  file(WRITE ${config} "{\"screens\": [{\"name\": \"screen-${size}\", \"x\": 0, \"y\": 0, \"width\": ${w}, \"height\": ${h}, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n")
  set(${var} "offscreen:configfile=${config}" PARENT_SCOPE)
endfunction()

# veloran_add_test(<name> SOURCES ... LIBS ...)
# One GoogleTest executable in the test programs' folder; every case runs in
# its own process (the programs keep program-wide state), in that folder, on
# the offscreen platform (nothing the programs draw needs an X display).
function(veloran_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  # The files the programs load at run time (panels, pictures, help) are
  # copied beside the tests, which load them the same way.
  if(NOT TARGET veloran_test_files)
    add_custom_target(veloran_test_files
      COMMAND ${CMAKE_COMMAND} -DFROM=${VELORAN_BIN_DIR} -DTO=${VELORAN_TEST_BIN_DIR}
              -P ${PROJECT_SOURCE_DIR}/cmake/copy_program_files.cmake
      COMMENT "Copying the programs' run-time files beside the tests"
      VERBATIM)
    add_dependencies(veloran_test_files kesto_uir_files antenna_uir_files antenna_library_files)
  endif()
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VELORAN_TEST_BIN_DIR})
  add_dependencies(${name} veloran_test_files)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest)
  # A screen as large as the one the test script's Xvfb gives.
  veloran_offscreen_platform(platform 1280x1024)
  set(env "QT_QPA_PLATFORM=${platform}")
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${VELORAN_TEST_BIN_DIR}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "${env}"
               TIMEOUT 120)
endfunction()

# veloran_add_fuzzer(<name> SOURCES ... LIBS ... CORPUS <seed folder>)
# A libFuzzer target, built only with VELORAN_FUZZ (clang). Every target and
# its seed folder are listed in fuzz-targets.txt in the build folder, which
# scripts/fuzz.sh runs.
function(veloran_add_fuzzer name)
  if(NOT VELORAN_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC OFF
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  get_filename_component(corpus ${F_CORPUS} ABSOLUTE)
  set_property(GLOBAL APPEND PROPERTY VELORAN_FUZZERS "${name} ${corpus}")
  add_dependencies(fuzz ${name})
endfunction()
