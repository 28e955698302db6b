# The French texts are complete: lupdate, run over the sources into a copy of the .ts,
# leaves no entry unfinished (a new or changed text of the windows is one), and French
# punctuation has its no-break space before ":", ";", "?" and "!".
file(MAKE_DIRECTORY ${WORK})
file(COPY_FILE ${TS} ${WORK}/sifa_fr.ts)
execute_process(COMMAND ${LUPDATE} -silent -locations none ${SOURCE}/src -ts ${WORK}/sifa_fr.ts
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "lupdate failed (${rc})")
endif()
file(READ ${WORK}/sifa_fr.ts text)
string(REGEX MATCHALL "<source>[^<]*</source>[ \r\n]*<translation type=\"unfinished\"" unfinished "${text}")
string(REGEX MATCHALL "type=\"unfinished\"" any_unfinished "${text}")
list(LENGTH any_unfinished count)
if(count GREATER 0)
  string(REGEX REPLACE "[ \r\n]*<translation type=\"unfinished\"" "" unfinished "${unfinished}")
  message(FATAL_ERROR "${count} text(s) without French in translations/sifa_fr.ts:\n${unfinished}")
endif()
string(REGEX MATCHALL "<translation>[^<]* [:;?!][^<]*</translation>" bad_spaces "${text}")
if(bad_spaces)
  message(FATAL_ERROR "an ordinary space before French punctuation:\n${bad_spaces}")
endif()
