# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DFROM=<programs' folder> -DTO=<tests' folder> -P copy_program_files.cmake
# Copies the files the programs load at run time (panel resource files,
# pictures, the help document) from beside the programs to beside the tests.
file(GLOB files LIST_DIRECTORIES false ${FROM}/*.uir ${FROM}/*.bmp ${FROM}/*.html)
file(MAKE_DIRECTORY ${TO})
foreach(f ${files})
  file(COPY ${f} DESTINATION ${TO})
endforeach()
