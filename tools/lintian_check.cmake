# Makes the Debian package from a build tree with CPack and runs Debian's
# checker lintian on it: fails on any error, warning or informational tag that
# the package's lintian overrides do not explain. Prints "SKIPPED:" and
# returns when the checker or the packaging tools are missing, or when the
# build is not one a package is made from (not optimised, or sanitized).
#
#   cmake -DCPACK=<cpack> -DCONFIG=<build>/CPackConfig.cmake -DWORK=<scratch dir>
#         -DHARDENED=ON|OFF -P lintian_check.cmake

if(NOT HARDENED)
  message("SKIPPED: this build is not built with the hardening flags (a debug or "
          "sanitizer build); the package is checked in optimised builds")
  return()
endif()
find_program(LINTIAN lintian)
if(NOT LINTIAN)
  message("SKIPPED: lintian is not installed, the package is not checked "
          "(apt-get install lintian, or bash tools/setup.sh test)")
  return()
endif()
foreach(tool dpkg-shlibdeps file)
  find_program(tool_path_${tool} ${tool})
  if(NOT tool_path_${tool})
    message("SKIPPED: ${tool} is not installed, so no package can be made "
            "(apt-get install dpkg-dev file, or bash tools/setup.sh test)")
    return()
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${CPACK}" -G DEB --config "${CONFIG}" -B "${WORK}"
                RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB debs "${WORK}/*.deb")
list(LENGTH debs count)
if(failed OR NOT count EQUAL 1)
  message(FATAL_ERROR "cpack made no package:\n${out}")
endif()

execute_process(COMMAND "${LINTIAN}" --display-info --display-experimental
                        --fail-on error,warning,info --tag-display-limit 0 ${debs}
                RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("lintian ${debs}:\n${out}${err}")
if(failed)
  message(FATAL_ERROR "lintian found faults in the package (see above)")
endif()
file(REMOVE_RECURSE "${WORK}")
