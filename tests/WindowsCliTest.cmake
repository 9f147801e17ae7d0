# brieflist-cli.exe as a user on Windows runs it: a folder whose name is outside ASCII, given
# on the command line, listed as CSV; and an argument Windows-1252 cannot hold.
#   cmake -DCLI=brieflist-cli.exe -DEMULATOR=wine -DWORK=scratch-folder -P WindowsCliTest.cmake
file(REMOVE_RECURSE "${WORK}")
set(folder "${WORK}/Übung")
file(MAKE_DIRECTORY "${folder}")
# A loose mission: signature, version byte 15, and a header of filler.
string(ASCII 15 version)
string(REPEAT "x" 124 filler)
file(WRITE "${folder}/Zoë.bms" "BMS${version}${filler}")

# The program sees the folder through Wine's drive Z:, with Windows separators.
string(REPLACE "/" "\\" windowsFolder "Z:${folder}")

# Through a file, read twice: execute_process and file(READ) both drop "\r", so the line
# endings are checked in hexadecimal. CSV lines end with "\r\n", never "\r\r\n".
execute_process(COMMAND ${EMULATOR} ${CLI} list "${windowsFolder}" --format csv
                OUTPUT_FILE "${WORK}/out.csv" ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "list failed (${rc}): ${err}")
endif()
file(READ "${WORK}/out.csv" out)
file(READ "${WORK}/out.csv" hex HEX)
string(FIND "${out}" "Zoë.bms,x" nameAt)
string(FIND "${out}" "${windowsFolder}\\Zoë.bms,0" sourceAt)
string(FIND "${hex}" "446174614f66667365740d0a" titlesEndAt)  # DataOffset\r\n
string(REGEX MATCH "2c300d0a$" rowEnd "${hex}")                   # ,0\r\n
if(nameAt EQUAL -1 OR sourceAt EQUAL -1 OR titlesEndAt EQUAL -1 OR NOT rowEnd)
  message(FATAL_ERROR "unexpected CSV for ${windowsFolder}:\n${out}\n${hex}")
endif()

execute_process(COMMAND ${EMULATOR} ${CLI} list "Z:\\Жук"
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
string(FIND "${err}" "outside Windows-1252" reasonAt)
if(NOT rc EQUAL 2 OR reasonAt EQUAL -1)
  message(FATAL_ERROR "an argument outside Windows-1252 gave ${rc}: ${err}")
endif()
message(STATUS "brieflist-cli.exe: arguments and output as expected")
