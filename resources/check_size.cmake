# cmake -DFILE=<program> -DLIMIT=<bytes> -P check_size.cmake
# Fails when the program is larger than the limit; reports its size.
file(SIZE "${FILE}" size)
math(EXPR kib "(${size} + 1023) / 1024")
if(size GREATER LIMIT)
  message(FATAL_ERROR "${FILE}: ${size} bytes (${kib} KiB), more than the "
    "limit of ${LIMIT} bytes")
endif()
message(STATUS "${FILE}: ${size} bytes (${kib} KiB), limit ${LIMIT}")
