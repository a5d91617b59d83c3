# Writes the framewise-cli manual page from its --help text, so the two never disagree.
#   cmake -DCLI=path/to/framewise-cli -DOUT=framewise-cli.1 -DVERSION=3.6.2 -P ManPage.cmake
execute_process(COMMAND ${CLI} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "framewise-cli --help failed: ${rc}")
endif()
# roff: backslashes as \e, and a line starting with a dot or a quote made literal.
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
file(WRITE ${OUT}
".TH FRAMEWISE-CLI 1 \"\" \"Framewise ${VERSION}\" \"User Commands\"\n"
".SH NAME\n"
"framewise-cli \\- the Framewise toolbox on the command line\n"
".SH SYNOPSIS\n"
".B framewise-cli\n"
".I COMMAND\n"
"[\\fIARGUMENTS\\fR] [\\fB\\-\\-json\\fR]\n"
".SH DESCRIPTION\n"
"Every tool of the Framewise desktop program, for scripts and batches: text output, or JSON with\n"
"\\fB\\-\\-json\\fR. A refusal exits non-zero with the message the window would show.\n"
".PP\n"
".nf\n"
"${help}"
".fi\n"
".SH FILES\n"
"Settings in \\fI$XDG_CONFIG_HOME/framewise/settings.ini\\fR, data in \\fI$XDG_DATA_HOME/framewise\\fR;\n"
"the shipped language files and defaults in \\fI<prefix>/share/framewise\\fR.\n"
"\\fBFRAMEWISE_HOME\\fR names a folder to keep everything in instead.\n")
