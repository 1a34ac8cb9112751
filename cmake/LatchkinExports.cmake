# The exports of Latchkin.dll as hook/latchkin_exports.inc lists them, one row each: the build
# writes the library's .def file from them, and the binary check compares the built library with
# them.
#   latchkin_export_names(<out> <path of latchkin_exports.inc>): the names, in the rows' order.
function(latchkin_export_names out table)
  file(STRINGS ${table} rows REGEX "^LATCHKIN_EXPORT\\(")
  set(names "")
  foreach(row IN LISTS rows)
    if(NOT row MATCHES "^LATCHKIN_EXPORT\\([A-Za-z]+, *[^,]+, *([A-Za-z0-9_]+),")
      message(FATAL_ERROR "${table}: a row that names no export: ${row}")
    endif()
    list(APPEND names ${CMAKE_MATCH_1})
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()

#   latchkin_write_def(<table> <def file>): undecorated names on x86 and x64, in the rows' order.
function(latchkin_write_def table def)
  latchkin_export_names(names ${table})
  set(text "; Exports of Latchkin.dll, undecorated on x86 and x64: the programs bind them by these names.\n")
  string(APPEND text "; Written by the build from latchkin_exports.inc.\nLIBRARY Latchkin.dll\nEXPORTS\n")
  foreach(name IN LISTS names)
    string(APPEND text "  ${name}\n")
  endforeach()
  file(CONFIGURE OUTPUT ${def} CONTENT "${text}" @ONLY)
endfunction()
