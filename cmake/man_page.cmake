# Writes a program's man page from its own --help text, so the page never tells other options
# than the program takes. Run as a script:
#   cmake -DPROGRAM=<executable> -DNAME=<name> -DSUMMARY=<one line> -DVERSION=<version>
#         -DSEE_ALSO=<name,name> -DOUTPUT=<file.1> -DGZIP=<gzip> -P man_page.cmake
# The page is then compressed as Debian wants it: gzip -9n, no name or time stamp inside.

execute_process(COMMAND ${PROGRAM} --help
  OUTPUT_VARIABLE help RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${NAME} --help failed (${result}): ${errors}")
endif()

# roff reads a backslash as an escape, a leading dot or quote as a request, and "-" as a hyphen.
function(roff_text out text)
  string(REPLACE "\\" "\\e" text "\n${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REPLACE "…" "\\[u2026]" text "${text}")
  string(REPLACE "\n." "\n\\&." text "${text}")
  string(REPLACE "\n'" "\n\\&'" text "${text}")
  string(SUBSTRING "${text}" 1 -1 text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The usage lines (the first, and those indented under it) are the synopsis; the rest describes.
string(REGEX REPLACE "\n+$" "" help "${help}")
string(APPEND help "\n")
string(REGEX MATCH "^Usage: +[^\n]*\n( +[^\n]*\n)*" usage "${help}")
if(usage STREQUAL "")
  message(FATAL_ERROR "${NAME} --help begins with no usage line")
endif()
string(LENGTH "${usage}" length)
string(SUBSTRING "${help}" ${length} -1 description)
string(REGEX REPLACE "^Usage: +" "" synopsis "${usage}")
string(REGEX REPLACE "\n +" "\n" synopsis "${synopsis}")
string(REGEX REPLACE "[^ \n]*/${NAME}" "${NAME}" synopsis "${synopsis}")  # a path the parser put there
if(description MATCHES "^\n+")
  string(REGEX REPLACE "^\n+" "" description "${description}")
endif()
roff_text(synopsis "${synopsis}")
roff_text(description "${description}")
roff_text(summary "${SUMMARY}")
string(REPLACE "-" "\\-" name "${NAME}")
string(TOUPPER "${NAME}" title)
string(REPLACE "-" "\\-" title "${title}")

set(see_also "")
string(REPLACE "," ";" SEE_ALSO "${SEE_ALSO}")
foreach(other IN LISTS SEE_ALSO)
  if(NOT see_also STREQUAL "")
    string(APPEND see_also ",\n")
  endif()
  string(REPLACE "-" "\\-" other "${other}")
  string(APPEND see_also ".BR ${other} (1)")
endforeach()

file(WRITE ${OUTPUT}
  ".\\\" Written by the build from `${NAME} --help`; change the program's help text, not this page.\n"
  ".TH ${title} 1 \"\" \"Hopper Setting Tool ${VERSION}\" \"User Commands\"\n"
  ".SH NAME\n${name} \\- ${summary}\n"
  ".SH SYNOPSIS\n.nf\n${synopsis}.fi\n"
  ".SH DESCRIPTION\n.nf\n${description}.fi\n"
  ".SH SEE ALSO\n${see_also}\n")
execute_process(COMMAND ${GZIP} -9nf ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gzip ${OUTPUT} failed")
endif()
