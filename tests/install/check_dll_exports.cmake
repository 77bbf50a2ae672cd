# Fails unless the export table of the DLL LIBRARY names exactly the
# operations the public header HEADER declares, under their plain names, and
# the DLL imports nothing but the system's own DLLs (the C++ runtime is linked
# in). OBJDUMP is the toolchain's objdump.
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY}
  OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} failed on ${LIBRARY}")
endif()

# The declared operations: every declaration of the header that starts a line
# with MURLO_EXPORT.
file(READ ${HEADER} header)
string(REGEX MATCHALL "\nMURLO_EXPORT [^(;#]*[ *]([a-z0-9_]+)\\(" declarations "${header}")
set(expected "")
foreach(declaration IN LISTS declarations)
  string(REGEX REPLACE "^.*[ *]([a-z0-9_]+)\\($" "\\1" name "${declaration}")
  list(APPEND expected ${name})
endforeach()
list(SORT expected)

# The export table: the lines "[   n] name" after "[Ordinal/Name Pointer] Table".
string(REPLACE "\n" ";" lines "${dump}")
set(exported "")
set(imports "")
set(in_names FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "\\[Ordinal/Name Pointer\\] Table")
    set(in_names TRUE)
  elseif(in_names AND line MATCHES "^[ \t]*\\[ *[0-9]+\\] (.+)$")
    list(APPEND exported "${CMAKE_MATCH_1}")
  elseif(in_names)
    set(in_names FALSE)
  endif()
  if(line MATCHES "DLL Name: (.+)$")
    list(APPEND imports "${CMAKE_MATCH_1}")
  endif()
endforeach()
list(SORT exported)

list(LENGTH expected expected_count)
if(expected_count LESS 3)
  message(FATAL_ERROR "too few operations found in ${HEADER}: ${expected}")
endif()
if(NOT exported STREQUAL expected)
  string(REPLACE ";" "\n  " exported_text "${exported}")
  string(REPLACE ";" "\n  " expected_text "${expected}")
  message(FATAL_ERROR "the DLL exports\n  ${exported_text}\nbut the header declares\n  ${expected_text}")
endif()

# System DLLs only: no libstdc++-6.dll, libgcc_s_*.dll or libwinpthread-1.dll.
foreach(dll IN LISTS imports)
  string(TOLOWER "${dll}" lower)
  if(NOT lower MATCHES "^(kernel32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+|ntdll|advapi32|user32|bcrypt)\\.dll$")
    message(FATAL_ERROR "the DLL imports ${dll}, which is no system DLL (imports: ${imports})")
  endif()
endforeach()
message(STATUS "${expected_count} exported operations under their plain names; imports: ${imports}")
