# cmake -DVORQ=... -DIN=... -DOUT=... -P insert-commands.cmake: the vorq page
# with its command section as the built vorq prints it, so the page cannot
# drift from the program's own table.
execute_process(COMMAND ${VORQ} --man-commands OUTPUT_VARIABLE commands RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR commands STREQUAL "")
  message(FATAL_ERROR "${VORQ} --man-commands failed (${status})")
endif()
file(READ ${IN} page)
string(FIND "${page}" ".\\\" @COMMANDS\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${IN} has no .\\\" @COMMANDS line")
endif()
string(REPLACE ".\\\" @COMMANDS\n" "${commands}" page "${page}")
file(WRITE ${OUT} "${page}")
