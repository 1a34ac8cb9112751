# Checks the manifest built into a program, read back from the file with the target's windres,
# so the x86 programs (which this machine cannot run) are checked as well as the x64 ones:
#   cmake -DPROGRAM=<exe> -DWINDRES=<windres> -DPROCESSOR=<X86|amd64|*> -P check_manifest.cmake
# The Wine test program_manifests reads the x64 manifests through the system's own reader.
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${WINDRES} -i ${PROGRAM} -J coff -O rc OUTPUT_VARIABLE rc RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${WINDRES} could not read the resources of ${PROGRAM}: ${result}")
endif()
# windres writes the manifest as C strings: quotes doubled, one string per line.
string(REPLACE "\"\"" "'" rc "${rc}")
string(REGEX REPLACE "\\\\n\"\n *\"" "\n" rc "${rc}")

set(expected
    "processorArchitecture='${PROCESSOR}'"
    "name='Microsoft.Windows.Common-Controls' version='6.0.0.0'"
    "<compatibility xmlns='urn:schemas-microsoft-com:compatibility.v1'>"
    "<supportedOS Id='{35138b9a-5d96-4fbd-8e2d-a2440225f93a}'/>"
    "<supportedOS Id='{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'/>"
    "<dpiAware xmlns='http://schemas.microsoft.com/SMI/2005/WindowsSettings'>true</dpiAware>"
    "<dpiAwareness xmlns='http://schemas.microsoft.com/SMI/2016/WindowsSettings'>PerMonitorV2, System</dpiAwareness>"
    "<longPathAware xmlns='http://schemas.microsoft.com/SMI/2016/WindowsSettings'>true</longPathAware>")
foreach(part IN LISTS expected)
  string(FIND "${rc}" "${part}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the manifest of ${PROGRAM} lacks: ${part}")
  endif()
endforeach()
message(STATUS "${PROGRAM}: manifest for ${PROCESSOR} with DPI awareness, supported systems and long paths")
