# Installs the build tree into a DESTDIR of its own under an unusual prefix and
# checks that the installed tree is complete and works on its own: the programs
# find the installed libVirtRova through their run path, the desktop file and
# the MIME types pass their validators (where installed), the manual pages
# render without warnings, and another host builds against the package config.
#
# Arguments: BUILD_DIR, WORK_DIR (removed and made afresh), CONSUMER_DIR,
# GENERATOR, MAKE_PROGRAM, CXX_COMPILER, READELF, SANITIZED.

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${text}")
endfunction()

# Runs a command, failing on a non-zero exit; OUT and ERR receive its streams.
function(run out err)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE o ERROR_VARIABLE e)
  if(NOT rc EQUAL 0)
    fail("${ARGN}\nexited ${rc}\n--- stdout\n${o}\n--- stderr\n${e}")
  endif()
  set(${out} "${o}" PARENT_SCOPE)
  set(${err} "${e}" PARENT_SCOPE)
endfunction()

# COUNT bytes of FILE from OFFSET, in hex.
function(read_hex file offset count var)
  file(READ ${file} hex OFFSET ${offset} LIMIT ${count} HEX)
  set(${var} "${hex}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/config)
set(root ${WORK_DIR}/root)
set(prefix_path /opt/rova-edit-test)
set(prefix ${root}${prefix_path})

set(ENV{DESTDIR} ${root})
run(o e ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix_path})
unset(ENV{DESTDIR})

# Everything the package promises, at its place.
set(share ${prefix}/share)
set(expected
  bin/rova-editor bin/rova-tool
  lib/libVirtRova.so lib/libVirtRova.so.0
  include/VirtRova.h
  lib/cmake/VirtRova/VirtRovaConfig.cmake lib/cmake/VirtRova/VirtRovaConfigVersion.cmake
  share/applications/rova-editor.desktop
  share/mime/packages/rova-edit.xml
  share/icons/hicolor/scalable/apps/rova-editor.svg
  share/icons/hicolor/scalable/mimetypes/application-x-rova-performance.svg
  share/man/man1/rova-editor.1.gz share/man/man1/rova-tool.1.gz
  share/rova-edit/examples/Bounce.MTN share/rova-edit/examples/Bounce.LED share/rova-edit/examples/Bounce.WAV
  share/doc/rova-edit/rova-editor.md share/doc/rova-edit/rova-tool.md
  share/doc/rova-edit/getting-started.md share/doc/rova-edit/images/guide-window.png)
set(sizes 16 22 24 32 48 64 128 256)
foreach(size IN LISTS sizes)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/rova-editor.png)
endforeach()
foreach(f IN LISTS expected)
  if(NOT EXISTS ${prefix}/${f})
    fail("the installed tree lacks ${f}")
  endif()
endforeach()

# The library carries its version; the programs look for it beside themselves
# only, not in the build tree.
run(dynamic e ${READELF} -d ${prefix}/lib/libVirtRova.so.0)
if(NOT dynamic MATCHES "\\(SONAME\\)[^\n]*\\[libVirtRova\\.so\\.0\\]")
  fail("libVirtRova's SONAME is not libVirtRova.so.0:\n${dynamic}")
endif()
foreach(program rova-editor rova-tool)
  file(READ_ELF ${prefix}/bin/${program} RUNPATH runpath RPATH rpath)
  if(NOT "${runpath}${rpath}" STREQUAL "$ORIGIN/../lib")
    fail("${program} looks for libraries in '${runpath}${rpath}', not in $ORIGIN/../lib")
  endif()
endforeach()

# Each icon file is a PNG of the size its folder names.
foreach(size IN LISTS sizes)
  set(icon ${share}/icons/hicolor/${size}x${size}/apps/rova-editor.png)
  read_hex(${icon} 0 8 signature)
  read_hex(${icon} 16 8 dimensions)
  # Width and height, big-endian 32-bit, as the PNG header stores them.
  math(EXPR hex_size "0x100000000 + ${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING ${hex_size} 3 8 hex_size)
  set(want "${hex_size}${hex_size}")
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT dimensions STREQUAL want)
    fail("${icon} is not a ${size}x${size} PNG (header ${signature}, size ${dimensions})")
  endif()
endforeach()

# The installed programs run from the installed tree: the tool's report on
# the installed example, a pose drawn through the library's exports (the
# loader must take libVirtRova from the tree's lib folder), and the editor
# printing the example into a PDF.
set(env ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH XDG_CONFIG_HOME=${WORK_DIR}/config)
set(example ${share}/rova-edit/examples/Bounce.MTN)
run(report e ${env} ${prefix}/bin/rova-tool info ${example})
if(NOT report MATCHES "\"opened\": true" OR NOT report MATCHES "\"motion\": {")
  fail("rova-tool info on the installed example:\n${report}")
endif()

run(o loader ${env} LD_DEBUG=libs ${prefix}/bin/rova-tool render-pose -o ${WORK_DIR}/pose.png --joint HeadY=30)
string(REPLACE "." "\\." escaped_prefix "${prefix}")
if(NOT loader MATCHES "calling init: ${escaped_prefix}/bin/\\.\\./lib/libVirtRova\\.so\\.0")
  fail("rova-tool render-pose did not load the installed libVirtRova:\n${loader}")
endif()
read_hex(${WORK_DIR}/pose.png 0 8 signature)
if(NOT signature STREQUAL "89504e470d0a1a0a")
  fail("render-pose wrote no PNG")
endif()

run(o e ${env} ${prefix}/bin/rova-editor /pt ${example} ${WORK_DIR}/bounce.pdf)
read_hex(${WORK_DIR}/bounce.pdf 0 5 pdf)
if(NOT pdf STREQUAL "255044462d")  # %PDF-
  fail("the installed rova-editor printed no PDF")
endif()

# The desktop entry names types that the MIME package declares, and an icon
# that is installed.
set(desktop ${share}/applications/rova-editor.desktop)
file(STRINGS ${desktop} mime_line REGEX "^MimeType=")
file(STRINGS ${desktop} icon_line REGEX "^Icon=")
file(STRINGS ${desktop} exec_line REGEX "^Exec=")
file(READ ${share}/mime/packages/rova-edit.xml mime_xml)
string(REGEX REPLACE "^MimeType=" "" types "${mime_line}")
# file(STRINGS) hands the line's semicolons back escaped.
string(REGEX MATCHALL "[^;\\]+" types "${types}")
if(NOT types)
  fail("the desktop entry names no MIME types")
endif()
foreach(type IN LISTS types)
  if(NOT mime_xml MATCHES "<mime-type type=\"${type}\">")
    fail("the desktop entry's type ${type} is not in rova-edit.xml")
  endif()
endforeach()
if(NOT icon_line STREQUAL "Icon=rova-editor" OR NOT exec_line MATCHES "^Exec=rova-editor %[fFuU]$")
  fail("the desktop entry's ${icon_line} / ${exec_line} do not match the installed program and icon")
endif()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  run(o e ${DESKTOP_FILE_VALIDATE} ${desktop})
  if(NOT "${o}${e}" STREQUAL "")
    fail("desktop-file-validate:\n${o}${e}")
  endif()
else()
  message(STATUS "desktop-file-validate is not installed: the desktop entry is not validated")
endif()

# The MIME package, compiled on its own: every type, glob (ignoring case),
# the motion file's magic and the eye-light file's MIDI parent.
find_program(UPDATE_MIME_DATABASE update-mime-database)
if(UPDATE_MIME_DATABASE)
  set(mime ${WORK_DIR}/data/mime)
  file(COPY ${share}/mime/packages/rova-edit.xml DESTINATION ${mime}/packages)
  run(o e ${CMAKE_COMMAND} -E env XDG_DATA_DIRS=${WORK_DIR}/data XDG_DATA_HOME=${WORK_DIR}/data
          ${UPDATE_MIME_DATABASE} ${mime})
  if(NOT "${o}${e}" STREQUAL "")
    fail("update-mime-database:\n${o}${e}")
  endif()
  file(READ ${mime}/globs2 globs)
  file(READ ${mime}/subclasses subclasses)
  file(STRINGS ${mime}/magic magic_headers REGEX "^\\[")
  foreach(want "50:application/x-rova-motion:\\*\\.mtn\n" "50:application/x-rova-eye-lights:\\*\\.led\n")
    if(NOT globs MATCHES "${want}")
      fail("the compiled globs lack ${want} (or it became case-sensitive):\n${globs}")
    endif()
  endforeach()
  if(globs MATCHES "x-rova[^\n]*:cs")
    fail("a glob of ours became case-sensitive: NAME.MTN and NAME.mtn must both match:\n${globs}")
  endif()
  if(NOT magic_headers MATCHES "application/x-rova-motion")
    fail("the compiled magic lacks the motion file's: ${magic_headers}")
  endif()
  if(NOT subclasses MATCHES "application/x-rova-eye-lights audio/midi")
    fail("the eye-light type is not a MIDI file:\n${subclasses}")
  endif()
else()
  message(STATUS "update-mime-database is not installed: the MIME package is not validated")
endif()
# The magic is the example's own first bytes.
read_hex(${example} 0 4 example_magic)
if(NOT example_magic STREQUAL "4f4d544e" OR NOT mime_xml MATCHES "value=\"OMTN\"")  # OMTN
  fail("the motion magic in rova-edit.xml does not match the example's '${example_magic}'")
endif()

# The manual pages render without a warning.
find_program(MAN man)
if(MAN)
  foreach(page rova-editor rova-tool)
    run(text warnings ${CMAKE_COMMAND} -E env MANWIDTH=80 ${MAN} --warnings -E UTF-8 -l ${share}/man/man1/${page}.1.gz)
    if(NOT warnings STREQUAL "" OR NOT text MATCHES "SYNOPSIS")
      fail("man -l ${page}.1.gz:\n${warnings}")
    endif()
  endforeach()
else()
  message(STATUS "man is not installed: the manual pages are not rendered")
endif()

# Another host finds the library through its package config and links it.
# A sanitized library cannot be loaded by an uninstrumented program, so there
# the consumer is only built.
set(consumer ${WORK_DIR}/consumer)
run(o e ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${consumer} -G ${GENERATOR} -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM}
        -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run(o e ${CMAKE_COMMAND} --build ${consumer})
if(NOT SANITIZED)
  run(o e ${env} ${consumer}/consumer)
  if(NOT o MATCHES "viewer made and freed")
    fail("the consumer did not run:\n${o}${e}")
  endif()
endif()
