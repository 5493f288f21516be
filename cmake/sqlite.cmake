# SQLite, linked in statically: the single-file source that scripts/install-deps
# makes from Debian's source package and checks; debian-revision beside it
# names the package's revision.
set(MERKWANDEL_SQLITE_DIR "${PROJECT_SOURCE_DIR}/build/sqlite-3.40.1" CACHE PATH
    "Folder with SQLite 3.40.1's sqlite3.c, sqlite3.h and debian-revision")
foreach(file sqlite3.c sqlite3.h debian-revision)
  if(NOT EXISTS "${MERKWANDEL_SQLITE_DIR}/${file}")
    message(FATAL_ERROR "SQLite's source is missing in ${MERKWANDEL_SQLITE_DIR}: run scripts/install-deps")
  endif()
endforeach()
file(STRINGS "${MERKWANDEL_SQLITE_DIR}/debian-revision" merkwandel_sqlite_revision LIMIT_COUNT 1)
message(STATUS "SQLite: Debian's source package sqlite3 ${merkwandel_sqlite_revision}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${MERKWANDEL_SQLITE_DIR}/debian-revision")

enable_language(C)
add_library(merkwandel_sqlite STATIC "${MERKWANDEL_SQLITE_DIR}/sqlite3.c")
target_include_directories(merkwandel_sqlite SYSTEM PUBLIC "${MERKWANDEL_SQLITE_DIR}")
# One thread uses it; no extensions are loaded, no temporary file and no
# memory-mapped file is ever made, double-quoted strings are not taken for
# names, and nothing in a database's schema runs functions with side effects.
target_compile_definitions(merkwandel_sqlite PRIVATE
  SQLITE_THREADSAFE=0
  SQLITE_OMIT_LOAD_EXTENSION
  SQLITE_OMIT_SHARED_CACHE
  SQLITE_OMIT_DEPRECATED
  SQLITE_TEMP_STORE=3
  SQLITE_MAX_MMAP_SIZE=0
  SQLITE_DQS=0
  SQLITE_TRUSTED_SCHEMA=0
  SQLITE_DEFAULT_MEMSTATUS=0
  SQLITE_LIKE_DOESNT_MATCH_BLOBS
  SQLITE_ENABLE_API_ARMOR
  SQLITE_USE_ALLOCA
)
# SQLite's own warning settings (its build sets none), not the project's
# -Werror list; the sanitizers and the fuzzer's instrumentation still apply.
get_directory_property(merkwandel_sqlite_options COMPILE_OPTIONS)
list(FILTER merkwandel_sqlite_options EXCLUDE REGEX "^-W")
set_target_properties(merkwandel_sqlite PROPERTIES COMPILE_OPTIONS "${merkwandel_sqlite_options}")
