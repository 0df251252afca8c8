# SPDX-License-Identifier: GPL-3.0-or-later
# atn on its own: a copy of the program in an empty folder (no antenna.uir,
# no viewer beside it) plots and writes a report, and the program holds no
# symbol of the viewer's code.
#   cmake -DATN=... -DSAMPLE=... -DNM=... -DVIEWER_LIB=... -P standalone.cmake
foreach(v ATN SAMPLE NM VIEWER_LIB)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "standalone.cmake: -D${v}= is missing")
  endif()
endforeach()

set(problems "")
macro(problem text)
  string(APPEND problems "  ${text}\n")
endmacro()

# ---- Run from a folder of its own ----
if(DEFINED ENV{TMPDIR} AND NOT "$ENV{TMPDIR}" STREQUAL "")
  set(tmp "$ENV{TMPDIR}")
else()
  set(tmp /tmp)
endif()
string(RANDOM LENGTH 10 tag)
set(dir "${tmp}/atn-alone-${tag}")
file(MAKE_DIRECTORY "${dir}")
file(COPY "${ATN}" DESTINATION "${dir}")
get_filename_component(name "${ATN}" NAME)
set(atn "${dir}/${name}")

function(run_atn out_var)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen "${atn}" ${ARGN}
    WORKING_DIRECTORY "${dir}" RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET
    TIMEOUT 60)
  string(STRIP "${err}" err)
  set(${out_var} "${rc}|${err}" PARENT_SCOPE)
endfunction()

# The file's first bytes, as hex.
function(magic file out_var)
  if(EXISTS "${file}")
    file(READ "${file}" head LIMIT 4 HEX)
  else()
    set(head "")
  endif()
  set(${out_var} "${head}" PARENT_SCOPE)
endfunction()

foreach(job "plot;-o;p.png;p.png;89504e47"
            "plot;--view;cartesian;-o;c.svg;c.svg;3c3f786d"
            "report;-o;r.pdf;r.pdf;25504446")
  list(POP_BACK job expected)
  list(POP_BACK job output)
  list(GET job 0 command)
  list(SUBLIST job 1 -1 options)
  run_atn(result ${command} "${SAMPLE}" ${options})
  list(JOIN options " " options)
  magic("${dir}/${output}" head)
  if(NOT result MATCHES "^0\\|")
    problem("atn ${command} ${options} failed without antenna.uir: ${result}")
  elseif(NOT head STREQUAL expected)
    problem("atn ${command} ${options} wrote no ${output} (it begins ${head})")
  endif()
endforeach()
if(EXISTS "${dir}/antenna.uir")
  problem("antenna.uir appeared beside the copy")
endif()
file(REMOVE_RECURSE "${dir}")

# ---- No viewer code inside ----
execute_process(COMMAND "${NM}" -C --defined-only "${ATN}" OUTPUT_VARIABLE atn_syms
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR atn_syms STREQUAL "")
  message(FATAL_ERROR "nm could not read ${ATN}")
endif()
execute_process(COMMAND "${NM}" -C --defined-only "${VIEWER_LIB}" OUTPUT_VARIABLE viewer_syms
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR viewer_syms STREQUAL "")
  message(FATAL_ERROR "nm could not read ${VIEWER_LIB}")
endif()

# One symbol name a list item: the name after the address and type.
function(symbol_names text types out_var)
  string(REPLACE ";" "," text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(names "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-f]* ([${types}]) (.+)$")
      list(APPEND names "${CMAKE_MATCH_2}")
    endif()
  endforeach()
  set(${out_var} "${names}" PARENT_SCOPE)
endfunction()

symbol_names("${atn_syms}" "A-Za-z" in_atn)
foreach(s IN LISTS in_atn)
  # The run-time's own machinery for callbacks is not the viewer's.
  if(s MATCHES "Callback" AND NOT s MATCHES "^rt::")
    problem("a callback in atn: ${s}")
  elseif(s MATCHES "antennalab|Init_Polar|Init_Cartesian")
    problem("a viewer symbol in atn: ${s}")
  endif()
endforeach()
# Whatever the viewer's library defines for others to use stays out of atn.
symbol_names("${viewer_syms}" "TDBR" from_viewer)
list(REMOVE_DUPLICATES from_viewer)
list(LENGTH from_viewer count)
if(count LESS 50)
  problem("only ${count} symbols read from ${VIEWER_LIB}")
endif()
set(in_both "")
foreach(s IN LISTS from_viewer)
  list(FIND in_atn "${s}" at)
  if(NOT at EQUAL -1)
    list(APPEND in_both "${s}")
  endif()
endforeach()
if(in_both)
  list(LENGTH in_both n)
  list(SUBLIST in_both 0 5 some)
  problem("${n} symbols of the viewer's library in atn, among them ${some}")
endif()

if(problems)
  message(FATAL_ERROR "atn is not on its own:\n${problems}")
endif()
message(STATUS "atn runs without antenna.uir and holds no viewer symbol")
