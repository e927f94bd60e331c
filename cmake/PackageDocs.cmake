# The documents that travel with the program: the manual page, the copyright
# file and the changelog. The compressed ones are made while orvanta is
# built, so that an install or a package right after that build has them.
# gzip -n leaves out the name and time stamp, so the same sources always give
# the same bytes.

find_program(ORVANTA_GZIP gzip REQUIRED)
mark_as_advanced(ORVANTA_GZIP)

set(orvanta_package_dir "${PROJECT_SOURCE_DIR}/resources/package")
set(orvanta_docs_dir "${PROJECT_BINARY_DIR}/docs")

# Changelogs carry the date in RFC 2822 form, weekday included; it is worked
# out from the ISO release date (Sakamoto's day-of-week method) so that one
# date serves the metainfo, the manual page and the changelog.
function(orvanta_rfc2822_date iso out)
  if(NOT iso MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "release date '${iso}' is not YYYY-MM-DD")
  endif()
  set(year ${CMAKE_MATCH_1})
  math(EXPR month "1${CMAKE_MATCH_2} - 100")
  math(EXPR day "1${CMAKE_MATCH_3} - 100")
  set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  set(day_names Sun Mon Tue Wed Thu Fri Sat)
  math(EXPR index "${month} - 1")
  list(GET month_offsets ${index} offset)
  list(GET month_names ${index} month_name)
  set(y ${year})
  if(month LESS 3)
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
  list(GET day_names ${weekday} day_name)
  set(${out} "${day_name}, ${CMAKE_MATCH_3} ${month_name} ${year} 12:00:00 +0000" PARENT_SCOPE)
endfunction()

# Debian's copyright format wants the licence text as continuation lines:
# each indented by one space, an empty line written as " .". The text is
# read from LICENSE so the two never disagree.
file(READ "${PROJECT_SOURCE_DIR}/LICENSE" license)
string(FIND "${license}" "Permission is hereby granted" grant_start)
string(SUBSTRING "${license}" ${grant_start} -1 license)
string(STRIP "${license}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " ORVANTA_LICENSE_TEXT " ${license}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/LICENSE")
configure_file("${orvanta_package_dir}/copyright.in" "${orvanta_docs_dir}/copyright" @ONLY)

orvanta_rfc2822_date("${ORVANTA_RELEASE_DATE}" ORVANTA_RELEASE_STAMP)
configure_file("${orvanta_package_dir}/changelog.in" "${orvanta_docs_dir}/changelog" @ONLY)
configure_file("${orvanta_package_dir}/orvanta.1.in" "${orvanta_docs_dir}/orvanta.1" @ONLY)

set(ORVANTA_COMPRESSED_DOCS "")
foreach(document IN ITEMS changelog orvanta.1)
  set(compressed "${orvanta_docs_dir}/${document}.gz")
  add_custom_command(OUTPUT "${compressed}"
                     COMMAND "${ORVANTA_GZIP}" -9n -c "${orvanta_docs_dir}/${document}" > "${compressed}"
                     DEPENDS "${orvanta_docs_dir}/${document}"
                     COMMENT "Compressing ${document}"
                     VERBATIM)
  list(APPEND ORVANTA_COMPRESSED_DOCS "${compressed}")
endforeach()
add_custom_target(orvanta_docs DEPENDS ${ORVANTA_COMPRESSED_DOCS})
add_dependencies(orvanta orvanta_docs)
