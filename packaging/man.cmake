# Writes the man page orvane.1 from what orvane itself prints: `orvane --help` for the synopsis and
# description, `orvane COMMAND --help` for each command it lists, `orvane params` for the parameters.
# cmake -DORVANE=path -DMODULE=path -DVERSION=x.y.z -DMODULE_DIR=lib/orvane -DOUT=orvane.1 -P man.cmake
function(orv_run out)
  execute_process(COMMAND ${ORVANE} ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "orvane ${ARGN} failed (${status})")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Text as roff prints it, verbatim: backslashes and minus signs escaped, no line read as a request.
function(orv_roff out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  string(STRIP "${text}" text)
  set(${out} ".nf\n${text}\n.fi\n" PARENT_SCOPE)
endfunction()

orv_run(usage --help)
string(REGEX MATCH "^orvane: ([^\n]*)\\." whatis "${usage}")
string(REPLACE "-" "\\-" whatis "${CMAKE_MATCH_1}")
string(REGEX MATCHALL "\n  orvane [^\n]*" lines "${usage}")
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  string(APPEND synopsis "${line}\n")
  string(REGEX MATCH "^orvane ([a-z]+)" command "${line}")
  list(APPEND commands ${CMAKE_MATCH_1})
endforeach()
orv_roff(synopsis "${synopsis}")
orv_roff(description "${usage}")
string(CONCAT page ".TH ORVANE 1 \"\" \"orvane ${VERSION}\" \"User Commands\"\n.SH NAME\norvane \\- ${whatis}\n"
  ".SH SYNOPSIS\n${synopsis}.SH DESCRIPTION\n${description}.SH COMMANDS\n")
foreach(command IN LISTS commands)
  orv_run(help ${command} --help)
  orv_roff(help "${help}")
  string(APPEND page ".SS ${command}\n${help}")
endforeach()
orv_run(params params --module ${MODULE})
orv_roff(params "${params}")
string(APPEND page ".SH PARAMETERS\n${params}"
  ".SH ENVIRONMENT\n.TP\n.B ORVANE_MODULE\nthe effect module to load when \\-\\-module is not given.\n"
  ".TP\n.B ORVANE_SIMD\n\\fBscalar\\fR, \\fBsse2\\fR, \\fBavx2\\fR or \\fBavx512\\fR: the highest vector level the "
  "effect's row loops may use; never above what the processor runs.\n"
  ".SH FILES\n.TP\n.I ${MODULE_DIR}/OrvaneBrightnessContrast.so\nthe effect module, found relative to the folder "
  "orvane is installed in (\\fI../${MODULE_DIR}\\fR from \\fIbin\\fR) when no module lies next to it.\n")
file(WRITE ${OUT} "${page}")
