# cmake -DPROGRAM=<file> -DLIMIT=<bytes> -P CheckSizeBudget.cmake: fails when the file is larger.
file(SIZE "${PROGRAM}" size)
if(size GREATER LIMIT)
  message(FATAL_ERROR "${PROGRAM}: ${size} bytes, over the budget of ${LIMIT}")
endif()
