# Compiles into orvanta a line saying how it was built, so that a packaged or
# installed binary, stripped or not, can be checked for an optimised build
# (`grep -a orvanta-build-type= bin/orvanta`).

string(TOUPPER "${CMAKE_BUILD_TYPE}" orvanta_build_type_upper)
string(STRIP "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${orvanta_build_type_upper}}"
       orvanta_build_flags)
set(orvanta_build_type_marker "orvanta-build-type=${CMAKE_BUILD_TYPE}; flags=${orvanta_build_flags}")
string(REPLACE "\\" "\\\\" orvanta_build_type_marker "${orvanta_build_type_marker}")
string(REPLACE "\"" "\\\"" orvanta_build_type_marker "${orvanta_build_type_marker}")

set(orvanta_build_type_source "${PROJECT_BINARY_DIR}/generated/BuildTypeMarker.cpp")
# Declared extern and kept with `used`: nothing reads the text at run time, and
# it must survive both the optimiser and stripping.
file(CONFIGURE OUTPUT "${orvanta_build_type_source}" CONTENT [=[
extern const char orvantaBuildTypeMarker[];
[[gnu::used]] extern const char orvantaBuildTypeMarker[] = "@orvanta_build_type_marker@";
]=] @ONLY)
target_sources(orvanta PRIVATE "${orvanta_build_type_source}")
