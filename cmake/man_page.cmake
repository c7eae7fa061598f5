# Writes a manual page for a program from its own --help and --version, so that the page says
# what the program it was built with says.
#   cmake -DPROGRAM=path -DNAME=krnctl -DSUMMARY="..." -DHELP=--help -DOUTPUT=krnctl.1 -P man_page.cmake
execute_process(COMMAND ${PROGRAM} ${HELP} OUTPUT_VARIABLE help RESULT_VARIABLE failed
                ERROR_VARIABLE help_error)
if(failed)
    message(FATAL_ERROR "${PROGRAM} ${HELP} failed: ${help_error}")
endif()
execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE version
                OUTPUT_STRIP_TRAILING_WHITESPACE)
string(TOUPPER "${NAME}" title)

# roff: a backslash is written \e; a line may not begin with "." or "'".
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(REPLACE "-" "\\-" help "${help}")

file(WRITE ${OUTPUT}
".TH ${title} 1 \"\" \"${version}\" \"User Commands\"
.SH NAME
${NAME} \\- ${SUMMARY}
.SH DESCRIPTION
.nf
${help}.fi
.SH SEE ALSO
The documentation in /usr/share/doc/krnsetup.
")
