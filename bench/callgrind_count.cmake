# Instructions per decision of the mouse filter, counted by callgrind inside QuillonDecideOnce
# (call and return included, clock stubbed). Deterministic, so it can be a test:
#   cmake -DVALGRIND=<valgrind> -DDRIVER=<driver> -DWORK_DIR=<dir> [-DENFORCE=ON] -P callgrind_count.cmake
cmake_minimum_required(VERSION 3.25)

set(kRepetitions 100000)
# case;limit pairs: the bounds the hook path is held to. The release guard (on by default) stays
# inside the filter's bounds; drag hold, which a user opts into, runs its own out-of-line path,
# and so do the middle and side buttons, which a user switches on one by one (their path builds
# the button from its index, so one copy serves all three).
set(kCases unwatched 20 watched_pass 40 watched_swallow 40 watched_press 40 drag_hold_release 60
    middle_swallow 70 side_swallow 80)

file(MAKE_DIRECTORY ${WORK_DIR})
set(failures "")
while(kCases)
  list(POP_FRONT kCases case limit)
  set(out ${WORK_DIR}/callgrind.${case}.out)
  execute_process(
    COMMAND ${VALGRIND} --tool=callgrind --toggle-collect=QuillonDecideOnce --callgrind-out-file=${out}
            ${DRIVER} ${case} ${kRepetitions}
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE log)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "callgrind failed for ${case}:\n${log}")
  endif()
  file(STRINGS ${out} totals REGEX "^(totals|summary):")
  list(GET totals 0 totals)
  string(REGEX REPLACE "^[a-z]+: *([0-9]+).*" "\\1" instructions "${totals}")
  math(EXPR whole "${instructions} / ${kRepetitions}")
  math(EXPR tenths "(${instructions} * 10 / ${kRepetitions}) % 10")
  message(STATUS "mouse filter, ${case}: ${whole}.${tenths} instructions per decision (bound ${limit})")
  # Judged in tenths, as reported: the collection's own start costs a couple of hundred
  # instructions once, which is no part of any decision.
  math(EXPR bound "${limit} * 10")
  math(EXPR measured "${whole} * 10 + ${tenths}")
  if(measured GREATER bound)
    list(APPEND failures "${case}: ${whole}.${tenths} > ${limit}")
  endif()
endwhile()
if(ENFORCE AND failures)
  message(FATAL_ERROR "over the instruction bound: ${failures}")
endif()
