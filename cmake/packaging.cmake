# SPDX-License-Identifier: GPL-3.0-or-later
# What the Debian package needs beyond the installed files, at install and packaging time.

# Who builds the package, "Name <address>": its Maintainer field and the name under each
# changelog entry. Debian's tools take it from DEBFULLNAME and DEBEMAIL (DEBEMAIL may hold
# "Name <address>" by itself); without them, from git's user of the source checkout.
# Empty when neither says.
function(varlime_packager source_dir out)
  set(name "$ENV{DEBFULLNAME}")
  set(mail "$ENV{DEBEMAIL}")
  if(mail MATCHES "^(.*[^ ]) *<([^>]+)>$")
    set(name "${CMAKE_MATCH_1}")
    set(mail "${CMAKE_MATCH_2}")
  endif()
  if(NOT mail)
    find_program(_varlime_git git)
    if(_varlime_git)
      execute_process(COMMAND ${_varlime_git} -C ${source_dir} config user.email
                      OUTPUT_VARIABLE mail OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(mail AND NOT name)
        execute_process(COMMAND ${_varlime_git} -C ${source_dir} config user.name
                        OUTPUT_VARIABLE name OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      endif()
    endif()
  endif()
  if(name AND mail)
    set(${out} "${name} <${mail}>" PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

# Installs FILE gzipped (gzip -9n: no name nor time inside, so the same file gives the same
# bytes) as NAME in DESTINATION, as Debian wants manual pages and changelogs.
function(varlime_install_gzipped file name destination work)
  file(MAKE_DIRECTORY ${work})
  execute_process(COMMAND gzip -9n -c ${file} OUTPUT_FILE ${work}/${name}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${file}")
  endif()
  file(INSTALL ${work}/${name} DESTINATION ${destination}
       PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()

# The changelog (data/changelog, in Debian's format) with the packager under each entry,
# and the manual page, both gzipped.
function(varlime_install_compressed source_dir binary_dir prefix)
  varlime_packager(${source_dir} packager)
  if(NOT packager)
    set(packager "The Varlime developers")
  endif()
  file(READ ${source_dir}/data/changelog text)
  string(REPLACE "@PACKAGER@" "${packager}" text "${text}")
  file(WRITE ${binary_dir}/package/changelog "${text}")
  varlime_install_gzipped(${binary_dir}/package/changelog changelog.gz
                          ${prefix}/share/doc/varlime ${binary_dir}/package/gz)
  varlime_install_gzipped(${source_dir}/doc/varlime.1 varlime.1.gz ${prefix}/share/man/man1
                          ${binary_dir}/package/gz)
endfunction()
