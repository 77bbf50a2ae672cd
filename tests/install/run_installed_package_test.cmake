# Installs the build into a private prefix, then builds and runs a small C
# consumer against it twice: through find_package and through pkg-config.
# With SOURCE_DIR, the consumer is also configured with the library added as
# a subdirectory, which must give it the same target name.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGV}\n${out}\n${err}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

set(flags "")
if(SANITIZE)
  # The library was built with the sanitizers; the consumer must link their
  # runtime too.
  set(flags "-fsanitize=${SANITIZE}")
endif()

run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer
  -DCMAKE_PREFIX_PATH=${prefix} "-DCMAKE_C_FLAGS=${flags}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
run(${WORK_DIR}/consumer/consumer ${DATABASE})

file(GLOB_RECURSE pc_files ${prefix}/*/murloppc.pc)
list(GET pc_files 0 pc_file)
get_filename_component(pc_dir ${pc_file} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
execute_process(COMMAND pkg-config --cflags --libs murloppc
  OUTPUT_VARIABLE pc_flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "pkg-config does not know murloppc")
endif()
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
separate_arguments(extra UNIX_COMMAND "${flags}")
foreach(flag IN LISTS pc_flags)
  if(flag MATCHES "^-L(.*)")
    set(libdir ${CMAKE_MATCH_1})
  endif()
endforeach()
run(cc -std=c99 ${extra} ${CONSUMER_DIR}/consumer.c ${pc_flags} -Wl,-rpath,${libdir}
  -o ${WORK_DIR}/consumer_pc)
run(${WORK_DIR}/consumer_pc ${DATABASE})

if(SOURCE_DIR)
  # Configured and generated only: the target name is checked when the build
  # files are written, and building the engine again would add nothing.
  run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer_subdirectory
    -DMURLO_SOURCE_DIR=${SOURCE_DIR})
endif()
