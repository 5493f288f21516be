# Run by CPack after it has staged the package's files and before it zips
# them: every file and folder gets the time of the commit it was built from
# (or SOURCE_DATE_EPOCH, when set), in UTC, so that the zip holds no time of
# the build.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(time "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${CPACK_MERKWANDEL_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endif()
set(ENV{TZ} UTC0)
file(GLOB_RECURSE entries LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
execute_process(COMMAND touch -h -d "@${time}" "${CPACK_TEMPORARY_DIRECTORY}" ${entries} COMMAND_ERROR_IS_FATAL ANY)
