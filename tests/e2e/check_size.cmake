# Fails when the shipped program grows past its size budget (bytes).
file(SIZE "${FILE}" size)
message(STATUS "${FILE}: ${size} bytes (limit ${LIMIT})")
if(size GREATER LIMIT)
  message(FATAL_ERROR "the program is ${size} bytes, over the limit of ${LIMIT}")
endif()
