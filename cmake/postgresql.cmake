# libpq, for catalogues on a PostgreSQL server (FANCAD_POSTGRESQL).
#
# With the option on, a missing libpq stops the configuration rather than
# leaving the back end out unnoticed. With it off, nothing is looked for:
# platform/ado opens catalogue files only and refuses a server's address
# with a message saying why, fancat is not built, and the tests that need a
# server are not registered. Sources that differ see FANCAD_POSTGRESQL=1 when
# it is on (fancad_use_postgresql).
if(FANCAD_POSTGRESQL)
  find_package(PostgreSQL)
  if(NOT PostgreSQL_FOUND)
    message(FATAL_ERROR
      "libpq (the PostgreSQL client library and its headers) was not found. Install it "
      "(Debian: apt-get install libpq-dev), or configure with -DFANCAD_POSTGRESQL=OFF "
      "for a build whose catalogues are files only.")
  endif()
endif()

# Links target to libpq and tells its sources the back end is there, when it is.
function(fancad_use_postgresql target)
  if(FANCAD_POSTGRESQL)
    target_link_libraries(${target} PRIVATE PostgreSQL::PostgreSQL)
    target_compile_definitions(${target} PRIVATE FANCAD_POSTGRESQL=1)
  endif()
endfunction()
