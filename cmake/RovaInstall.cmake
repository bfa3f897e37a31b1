# What `cmake --install` puts beside the programs and the library (whose own
# rules live with their targets), and the Debian package that CPack makes of it.
include(GNUInstallDirs)

set(rova_share ${CMAKE_INSTALL_DATADIR}/rova-edit)
set(rova_docdir ${CMAKE_INSTALL_DATADIR}/doc/rova-edit)

if(ROVA_GUI)
  # The example performance and the guides.
  install(FILES examples/Bounce.MTN examples/Bounce.LED examples/Bounce.WAV DESTINATION ${rova_share}/examples)
  install(FILES README.md docs/rova-editor.md docs/rova-tool.md docs/dance-steps.md docs/getting-started.md
          DESTINATION ${rova_docdir})
  # The pictures of the Getting Started guide, which Help shows from here.
  install(DIRECTORY docs/images DESTINATION ${rova_docdir})

  # The desktop's menu entry, the file types it opens, and the icons of both.
  set(rova_desktop ${PROJECT_SOURCE_DIR}/editor/app/desktop)
  install(FILES ${rova_desktop}/rova-editor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${rova_desktop}/rova-edit.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  set(rova_icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${rova_desktop}/icons/rova-editor-${size}.png
            DESTINATION ${rova_icons}/${size}x${size}/apps RENAME rova-editor.png)
  endforeach()
  install(FILES ${rova_desktop}/rova-editor.svg DESTINATION ${rova_icons}/scalable/apps)
  install(FILES ${rova_desktop}/application-x-rova-performance.svg DESTINATION ${rova_icons}/scalable/mimetypes)

  # The manual pages, compressed as the system's own are (gzip -n keeps the
  # bytes the same from build to build).
  find_program(ROVA_GZIP gzip)
  foreach(page rova-editor.1 rova-tool.1)
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${page})
    if(ROVA_GZIP)
      set(packed ${CMAKE_BINARY_DIR}/man/${page}.gz)
      add_custom_command(OUTPUT ${packed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${ROVA_GZIP} -9 -n -c ${source} > ${packed}
        DEPENDS ${source}
        COMMENT "Compressing the manual page ${page}")
      list(APPEND rova_man_pages ${packed})
    else()
      list(APPEND rova_man_pages ${source})
    endif()
  endforeach()
  add_custom_target(rova_man_pages ALL DEPENDS ${rova_man_pages})
  install(FILES ${rova_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# `cpack -G DEB` in the build tree makes rova-edit_VERSION_ARCH.deb for /usr.
# Its dependencies come from dpkg-shlibdeps; the desktop's caches (menu, MIME,
# icons) are refreshed by the triggers of their own packages, so the only
# maintainer scripts are CPack's ldconfig calls for the library.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rova-edit)
set(CPACK_PACKAGE_VENDOR "Rova Edit developers")
set(CPACK_PACKAGE_CONTACT "Rova Edit developers <rova-edit@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the performances of a four-legged robot dog")
# The long description; CPack puts the summary above it and indents it.
set(CPACK_PACKAGE_DESCRIPTION "Rova Edit shows the motion of the robot's 18 joints, its two eye lights and
its sound track as bands over one time axis, edits them, and plays the
performance in step with the sound on a 3D model of the robot.

The package holds the editor rova-editor, the headless tool rova-tool and
the viewer library VirtRova with its header and CMake package.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# MIDI sounds play through a General MIDI SoundFont; without one they are silent.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "timgm6mb-soundfont | fluid-soundfont-gm")
include(CPack)
