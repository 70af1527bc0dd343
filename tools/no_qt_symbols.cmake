# Fails when any of LIBRARIES (a list of static libraries) holds or uses a Qt
# symbol. Run with cmake -DNM=<nm> -DLIBRARIES=<a;b> -P no_qt_symbols.cmake.
foreach(library IN LISTS LIBRARIES)
  execute_process(COMMAND ${NM} -C ${library} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed
                  ERROR_VARIABLE errors)
  if(failed OR symbols STREQUAL "")
    message(FATAL_ERROR "nm could not list ${library}: ${errors}")
  endif()
  string(REGEX MATCH "[^\n]*(^|[^A-Za-z0-9_])(Q[A-Z][A-Za-z]+|qt_)[^\n]*" qt "${symbols}")
  if(qt)
    message(FATAL_ERROR "${library} holds a Qt symbol: ${qt}")
  endif()
  message(STATUS "${library}: no Qt symbol")
endforeach()
