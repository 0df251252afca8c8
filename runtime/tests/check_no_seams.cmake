# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DPROGRAM=<executable> -P check_no_seams.cmake
# Fails when the program holds a symbol of the test seams (namespace rt::test).
execute_process(COMMAND nm -C ${PROGRAM} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${PROGRAM}")
endif()
string(REGEX MATCHALL "[^\n]*rt::test::[^\n]*" seams "${symbols}")
list(LENGTH seams n)
if(n GREATER 0)
  list(JOIN seams "\n" text)
  message(FATAL_ERROR "${PROGRAM} holds ${n} test seam symbol(s):\n${text}")
endif()
message(STATUS "${PROGRAM}: no test seam symbol")
