# Runs a copy of the built program the way a user at a terminal does, in an
# environment without any display, and checks what it prints, its exit status
# and that it left the store alone: the program folder still holds only the
# program, and the home folder (where an installed program keeps its data)
# stays empty.
#
#   cmake -DPROGRAM=<shenbao> -DVERSION=<x.y.z> -DWORK=<scratch dir> -DCASE=<case>
#         -P run_program.cmake
#
# CASE: version, help, unknown-option, no-display (neither DISPLAY nor
# WAYLAND_DISPLAY), unreachable-x11 (a DISPLAY no server answers),
# unreachable-wayland (QT_QPA_PLATFORM=wayland without its socket), xcb-no-display
# (QT_QPA_PLATFORM=xcb without DISPLAY), refused-x11 (an X server under
# xvfb-run that refuses the program's connection: it has no cookie).

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/program" "${WORK}/home" "${WORK}/runtime")
file(COPY "${PROGRAM}" DESTINATION "${WORK}/program")
get_filename_component(name "${PROGRAM}" NAME)
set(program "${WORK}/program/${name}")

foreach(variable DISPLAY WAYLAND_DISPLAY WAYLAND_SOCKET QT_QPA_PLATFORM XDG_SESSION_TYPE
                 XDG_DATA_HOME XAUTHORITY)
  unset(ENV{${variable}})
endforeach()
set(ENV{HOME} "${WORK}/home")
set(ENV{XDG_RUNTIME_DIR} "${WORK}/runtime")
set(ENV{LC_ALL} C.UTF-8)

set(command "${program}")
set(args)
set(status 1)
set(out_pattern "^$")
set(err_pattern)
set(no_display_chinese "shenbao：本程序需要在图形桌面中运行，但")
set(no_display_english "shenbao: this program needs a graphical desktop, but ")
if(CASE STREQUAL "version")
  set(args --version)
  set(status 0)
  string(REPLACE "." "\\." version "${VERSION}")
  set(out_pattern "^shenbao ${version}\n澄川省科技计划项目申报系统2001版\n$")
  set(err_pattern "^$")
elseif(CASE STREQUAL "help")
  set(args --help)
  set(status 0)
  set(out_pattern "^用法 / usage: shenbao \\[--help \\| --version\\]\n.*\n  --help [^\n]*\n  --version [^\n]*\n.*数据文件夹 / data folder: ${WORK}/program/\n")
  set(err_pattern "^$")
elseif(CASE STREQUAL "unknown-option")
  set(args -platform offscreen --bogus)
  set(status 2)
  set(err_pattern "^shenbao：未知的选项 --bogus，[^\n]*\nshenbao: unknown option --bogus; see shenbao --help\\.\n$")
elseif(CASE STREQUAL "no-display")
  set(err_pattern "^${no_display_chinese}没有图形显示（DISPLAY 和 WAYLAND_DISPLAY 都没有设置）。\n${no_display_english}there is no display \\(neither DISPLAY nor WAYLAND_DISPLAY is set\\)\\.\n$")
elseif(CASE STREQUAL "unreachable-x11")
  set(ENV{DISPLAY} ":4987")
  set(ENV{XAUTHORITY} "${WORK}/home/no-such-file")
  set(err_pattern "^${no_display_chinese}无法连接 X 显示 :4987，WAYLAND_DISPLAY 没有设置。\n${no_display_english}cannot connect to the X display :4987; WAYLAND_DISPLAY is not set\\.\n$")
elseif(CASE STREQUAL "unreachable-wayland")
  set(ENV{QT_QPA_PLATFORM} wayland)
  set(ENV{DISPLAY} ":4987")
  set(err_pattern "^${no_display_chinese}无法连接 Wayland 显示 ${WORK}/runtime/wayland-0。\n${no_display_english}cannot connect to the Wayland display ${WORK}/runtime/wayland-0\\.\n$")
elseif(CASE STREQUAL "xcb-no-display")
  set(ENV{QT_QPA_PLATFORM} xcb)
  set(ENV{WAYLAND_DISPLAY} wayland-0)
  set(err_pattern "^${no_display_chinese}DISPLAY 没有设置。\n${no_display_english}DISPLAY is not set\\.\n$")
elseif(CASE STREQUAL "refused-x11")
  find_program(XVFB_RUN xvfb-run)
  if(NOT XVFB_RUN)
    message("SKIPPED: xvfb-run is not installed (apt-get install xvfb xauth)")
    return()
  endif()
  # xvfb-run starts the server with a cookie and names it in XAUTHORITY; the
  # program is started without it. The program's own exit status is written
  # after its output: xvfb-run replaces it with its own when it fails to
  # clean up after the server (which happens on a busy machine).
  set(command "${XVFB_RUN}" -a -s "-nolisten tcp" sh -c
              "XAUTHORITY='${WORK}/home/no-such-file' \"$0\"\n echo \"program-exit-status=$?\" >&2"
              "${program}")
  set(err_pattern "^${no_display_chinese}无法连接 X 显示 :[0-9]+（[^\n]*Authorization required[^\n]*），WAYLAND_DISPLAY 没有设置。\n${no_display_english}cannot connect to the X display :[0-9]+ \\([^\n]*Authorization required[^\n]*\\); WAYLAND_DISPLAY is not set\\.\n$")
else()
  message(FATAL_ERROR "unknown CASE ${CASE}")
endif()

execute_process(COMMAND ${command} ${args} WORKING_DIRECTORY "${WORK}/home"
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
if(CASE STREQUAL "refused-x11")
  if(err MATCHES "program-exit-status=([0-9]+)\n")
    set(result "${CMAKE_MATCH_1}")
  endif()
  string(REGEX REPLACE "program-exit-status=[0-9]+\n" "" err "${err}")
  string(REGEX REPLACE "xvfb-run: [^\n]*\n" "" err "${err}")
endif()
message(STATUS "shenbao ${args}: exit status ${result}\n--- standard output:\n${out}--- standard error:\n${err}---")

set(faults)
if(NOT result STREQUAL "${status}")
  list(APPEND faults "exit status ${result}, expected ${status}")
endif()
if(NOT out MATCHES "${out_pattern}")
  list(APPEND faults "standard output does not match ${out_pattern}")
endif()
if(err_pattern AND NOT err MATCHES "${err_pattern}")
  list(APPEND faults "standard error does not match ${err_pattern}")
endif()
file(GLOB_RECURSE left LIST_DIRECTORIES true RELATIVE "${WORK}" "${WORK}/program/*" "${WORK}/home/*")
if(NOT left STREQUAL "program/${name}")
  list(APPEND faults "the program made files: ${left}")
endif()
if(faults)
  string(REPLACE ";" "\n  " faults "${faults}")
  message(FATAL_ERROR "\n  ${faults}")
endif()
file(REMOVE_RECURSE "${WORK}")
