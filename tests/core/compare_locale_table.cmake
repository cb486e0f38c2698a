# Writes the locale table from the installed Qt and compares it with the committed one:
#   cmake -DTOOL=zimbrel-localenumbers -DTABLE=committed.inc -DOUT=fresh.inc -P compare_locale_table.cmake
execute_process(COMMAND ${TOOL} ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "zimbrel-localenumbers failed (${status})")
endif()
file(READ ${TABLE} committed)
file(READ ${OUT} fresh)
if(NOT committed STREQUAL fresh)
  message(FATAL_ERROR "src/core/localenumbers_table.inc is not what this Qt gives: run make locale-table "
                      "and commit the table (the numbers of the length line follow it)")
endif()
message(STATUS "the committed locale table is this Qt's")
