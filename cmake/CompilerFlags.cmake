# Flags shared by every target of the project.
#
# Fares depend on exact IEEE single and double rounding, so floating-point
# contraction (fused multiply-add) is off and fast-math is never used.
add_library(murlo_flags INTERFACE)

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(murlo_flags INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -ffp-contract=off)
  if(MURLO_WERROR)
    target_compile_options(murlo_flags INTERFACE -Werror)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
     AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 reports impossible overlaps inside std::string's own copies when
    # optimising (-Wrestrict false positives in libstdc++); the warning stays
    # on for every other compiler.
    target_compile_options(murlo_flags INTERFACE -Wno-restrict)
  endif()
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86)$")
    # 32-bit x86 would otherwise compute in x87 extended precision.
    target_compile_options(murlo_flags INTERFACE -msse2 -mfpmath=sse)
  endif()
elseif(MSVC)
  target_compile_options(murlo_flags INTERFACE /W4 /fp:precise /utf-8)
  if(MURLO_WERROR)
    target_compile_options(murlo_flags INTERFACE /WX)
  endif()
endif()

# MURLO_SANITIZE names the sanitizers every target is built with, such as
# "address,undefined" (the dev preset) or "thread" (the tsan preset).
if(MURLO_SANITIZE)
  add_compile_options(-fsanitize=${MURLO_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${MURLO_SANITIZE} -fno-sanitize-recover=all)
endif()
