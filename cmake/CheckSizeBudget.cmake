# cmake -DPROGRAM=<file> -DFLOOR=<file> -DPERCENT=<n> -P CheckSizeBudget.cmake: fails when
# PROGRAM is larger than PERCENT % of FLOOR. The floor is the empty dialog built by the same
# toolchain with the same flags, so the budget holds whatever the compiler adds to both.
file(SIZE "${PROGRAM}" size)
file(SIZE "${FLOOR}" floor)
math(EXPR limit "${floor} * ${PERCENT} / 100")
math(EXPR ratio "${size} * 100 / ${floor}")
string(REGEX REPLACE "([0-9])([0-9][0-9])$" "\\1.\\2" shown "${ratio}")
if(size GREATER limit)
  message(FATAL_ERROR "${PROGRAM}: ${size} bytes, ${shown}× the empty dialog's ${floor}: over "
                      "the budget of ${limit} (${PERCENT} %)")
endif()
message(STATUS "size budget: ${size} bytes, ${shown}× the empty dialog's ${floor} (budget ${PERCENT} %)")
