# nlohmann-json (Debian's nlohmann-json3-dev, header only), for the JSON
# files of Chromium-family browsers. The headers are found on the build
# machine; the Windows builds reach them through a folder of their own that
# holds only a link to them, so that no other header of the machine's
# /usr/include comes into a cross build.
find_path(MERKWANDEL_JSON_INCLUDE nlohmann/json.hpp
          PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED
          DOC "Folder that holds nlohmann/json.hpp (Debian: nlohmann-json3-dev)")
set(merkwandel_json_dir "${CMAKE_BINARY_DIR}/json-include")
file(MAKE_DIRECTORY "${merkwandel_json_dir}")
file(CREATE_LINK "${MERKWANDEL_JSON_INCLUDE}/nlohmann" "${merkwandel_json_dir}/nlohmann" SYMBOLIC)
add_library(merkwandel_json INTERFACE)
target_include_directories(merkwandel_json SYSTEM INTERFACE "${merkwandel_json_dir}")
# Exceptions stay inside the reader that uses it; no implicit conversions.
target_compile_definitions(merkwandel_json INTERFACE JSON_USE_IMPLICIT_CONVERSIONS=0)
