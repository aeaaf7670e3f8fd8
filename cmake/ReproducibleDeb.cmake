# Run by CPack after it has made the Debian package: writes it again with
# dpkg-deb, every file's time clamped to the commit's
# (CPACK_SKR_SOURCE_DATE_EPOCH), owned by root, and the archive's own times
# the same (dpkg-deb takes SOURCE_DATE_EPOCH), so that two builds of one
# commit, anywhere and at any time, give the same bytes.
if(NOT CPACK_SKR_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "no commit time for the package (set SOURCE_DATE_EPOCH)")
endif()
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree ${deb}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb --raw-extract ${deb} ${tree} RESULT_VARIABLE failed)
  if(NOT failed)
    execute_process(COMMAND find ${tree} -newermt @${CPACK_SKR_SOURCE_DATE_EPOCH} -exec
                            touch --no-dereference --date=@${CPACK_SKR_SOURCE_DATE_EPOCH} {} +
                    RESULT_VARIABLE failed)
  endif()
  if(NOT failed)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${CPACK_SKR_SOURCE_DATE_EPOCH}
                            dpkg-deb --root-owner-group -Zxz --build ${tree} ${deb}
                    OUTPUT_QUIET RESULT_VARIABLE failed)
  endif()
  file(REMOVE_RECURSE ${tree})
  if(failed)
    message(FATAL_ERROR "could not write ${deb} again")
  endif()
endforeach()
