# Writes the manual pages of framewise-cli (from its --help text, so the two never disagree) and of
# framewise, each compressed as Debian installs manual pages (gzip -9n: no name, no time stamp).
#   cmake -DCLI=path/to/framewise-cli -DOUTDIR=man -DVERSION=3.6.2 -DDATE=2026-12-06 -P ManPage.cmake
execute_process(COMMAND ${CLI} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "framewise-cli --help failed: ${rc}")
endif()
# roff: backslashes as \e, and a line starting with a dot or a quote made literal.
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
set(files
".SH FILES\n"
"Settings in \\fI$XDG_CONFIG_HOME/framewise/\\fR (\\fIsettings.ini\\fR, \\fIuser-settings.conf\\fR), the codec\n"
"database and backups in \\fI$XDG_DATA_HOME/framewise/\\fR. The shipped language files and defaults are in\n"
"\\fIshare/framewise/\\fR beside the program's \\fIbin/\\fR folder (\\fI/usr/share/framewise/\\fR for the\n"
"Debian package).\n"
".SH ENVIRONMENT\n"
".TP\n"
".B FRAMEWISE_HOME\n"
"A folder to keep everything in (settings, database, language files) instead of the folders above.\n")
file(WRITE ${OUTDIR}/framewise-cli.1
".TH FRAMEWISE-CLI 1 \"${DATE}\" \"Framewise ${VERSION}\" \"User Commands\"\n"
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
${files}
".SH SEE ALSO\n"
".BR framewise (1)\n")
file(WRITE ${OUTDIR}/framewise.1
".TH FRAMEWISE 1 \"${DATE}\" \"Framewise ${VERSION}\" \"User Commands\"\n"
".SH NAME\n"
"framewise \\- desktop toolbox for DVD rips, AVI and OGM files, XviD statistics and CD-R video\n"
".SH SYNOPSIS\n"
".B framewise\n"
"[\\fIFILE\\fR...]\n"
".br\n"
".B framewise\n"
"\\fB\\-\\-version\\fR | \\fB\\-\\-help\\fR\n"
".SH DESCRIPTION\n"
"A small main window opens the tool windows: bitrate calculator and its inverse, resolution\n"
"calculator, AVI/OGM inspector with a health check and index repair, in-place AVI header patchers\n"
"(FourCC, frame rate, audio/video sync), XviD first-pass statistics editor, DVD IFO browser and\n"
"chapter editor, file splitter and joiner, audio and tracker-module to WAV converter, codec\n"
"databases and system utilities.\n"
".PP\n"
"Files named on the command line open in the tool that reads them: AVI and OGM files in the\n"
"inspector, \\fI.stats\\fR files in the statistics editor, audio files and modules in the WAV converter.\n"
".PP\n"
"The program needs a desktop session (X11 or Wayland). Without one it says so and exits with status 1;\n"
"\\fBQT_QPA_PLATFORM=vnc\\fR serves it to a VNC viewer on localhost:5900 instead. Every tool also runs\n"
"without a display in \\fBframewise-cli\\fR(1).\n"
".SH OPTIONS\n"
".TP\n"
".B \\-\\-version\n"
"Print the version and exit.\n"
".TP\n"
".B \\-\\-help\n"
"Print a short usage text and exit.\n"
${files}
".SH SEE ALSO\n"
".BR framewise-cli (1)\n")
foreach(page framewise-cli.1 framewise.1)
  execute_process(COMMAND gzip -9nf ${OUTDIR}/${page} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${page} failed: ${rc}")
  endif()
endforeach()
