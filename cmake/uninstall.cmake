# make uninstall: removes what the last make install put in place, as listed in the build's
# install_manifest.txt, and then the folders of Zimbrel's own that are left empty.
#   cmake -DMANIFEST=build/install_manifest.txt -P cmake/uninstall.cmake
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} is missing (was make install run from this build?)")
endif()
file(STRINGS "${MANIFEST}" files)
set(folders)
foreach(file IN LISTS files)
  if(EXISTS "$ENV{DESTDIR}${file}" OR IS_SYMLINK "$ENV{DESTDIR}${file}")
    message(STATUS "Removing ${file}")
    file(REMOVE "$ENV{DESTDIR}${file}")
  endif()
  get_filename_component(folder "${file}" DIRECTORY)
  list(APPEND folders "${folder}")
endforeach()
# Only folders named for Zimbrel are removed (libexec/zimbrel, etc/xdg/zimbrel,
# share/doc/zimbrel), and only when empty; shared ones such as share/applications stay.
list(REMOVE_DUPLICATES folders)
foreach(folder IN LISTS folders)
  get_filename_component(name "${folder}" NAME)
  if(name STREQUAL "zimbrel" AND IS_DIRECTORY "$ENV{DESTDIR}${folder}")
    file(GLOB left "$ENV{DESTDIR}${folder}/*")
    if(NOT left)
      message(STATUS "Removing ${folder}")
      file(REMOVE_RECURSE "$ENV{DESTDIR}${folder}")
    endif()
  endif()
endforeach()
