# Run by CPack after it has made the zip, which holds the times of the build
# (the files' change times among them): makes it anew from the staged files
# with Info-ZIP, without extra fields (-X) or folder entries (-D), the files
# in sorted order, each with the time of the commit it was built from (or
# SOURCE_DATE_EPOCH, when set) in UTC. So the same commit gives the same zip.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(time "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${CPACK_MERKWANDEL_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endif()
get_filename_component(staging "${CPACK_TEMPORARY_DIRECTORY}" DIRECTORY)
file(GLOB_RECURSE files RELATIVE "${staging}" "${CPACK_TEMPORARY_DIRECTORY}/*")
list(SORT files)
execute_process(COMMAND touch -d "@${time}" ${files} WORKING_DIRECTORY "${staging}" COMMAND_ERROR_IS_FATAL ANY)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  file(REMOVE "${package}")
  execute_process(COMMAND env TZ=UTC0 zip -X -D -q "${package}" ${files}
                  WORKING_DIRECTORY "${staging}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
