# `cmake --install build --prefix PREFIX` lays the program out for a desktop:
#   PREFIX/lib/kerno/    the program folder: Kerno, its shared libraries and resources,
#                        marked as installed so that nothing is ever written there
#   PREFIX/bin/kerno     a link to lib/kerno/Kerno
#   PREFIX/share/        the menu entry, the file types and the icons
# The libraries find each other through the RPATH $ORIGIN (one folder).
set(KERNO_INSTALL_DIR "lib/kerno")

install(TARGETS Kerno qs curvpress strat
  RUNTIME DESTINATION "${KERNO_INSTALL_DIR}"
  LIBRARY DESTINATION "${KERNO_INSTALL_DIR}")
# The resources are what the build copies beside the executable.
install(DIRECTORY "${CMAKE_SOURCE_DIR}/resources/" DESTINATION "${KERNO_INSTALL_DIR}"
  PATTERN "CMakeLists.txt" EXCLUDE)
install(FILES "${CMAKE_SOURCE_DIR}/desktop/installed" DESTINATION "${KERNO_INSTALL_DIR}")

install(CODE "
  set(prefix \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  file(MAKE_DIRECTORY \"\${prefix}/bin\")
  file(REMOVE \"\${prefix}/bin/kerno\")
  file(CREATE_LINK \"../${KERNO_INSTALL_DIR}/Kerno\" \"\${prefix}/bin/kerno\" SYMBOLIC)
")

install(FILES "${CMAKE_SOURCE_DIR}/desktop/kerno.desktop" DESTINATION share/applications)
install(FILES "${CMAKE_SOURCE_DIR}/desktop/kerno-mime.xml" DESTINATION share/mime/packages RENAME kerno.xml)
install(FILES "${CMAKE_SOURCE_DIR}/resources/icons/actions/kerno.svg" DESTINATION share/icons/hicolor/scalable/apps)
install(FILES
  "${CMAKE_SOURCE_DIR}/desktop/icons/application-x-kerno-document.svg"
  "${CMAKE_SOURCE_DIR}/desktop/icons/application-x-kerno-object.svg"
  "${CMAKE_SOURCE_DIR}/desktop/icons/application-x-kerno-template.svg"
  DESTINATION share/icons/hicolor/scalable/mimetypes)

# A direct install (no DESTDIR: packages run these in their own scripts)
# refreshes the desktop's file type and icon caches when the tools exist.
install(CODE "
  if(NOT \"\$ENV{DESTDIR}\")
    find_program(KERNO_UPDATE_MIME update-mime-database)
    if(KERNO_UPDATE_MIME)
      execute_process(COMMAND \${KERNO_UPDATE_MIME} \"\${CMAKE_INSTALL_PREFIX}/share/mime\"
                      RESULT_VARIABLE ignored OUTPUT_QUIET ERROR_QUIET)
    endif()
    find_program(KERNO_UPDATE_ICONS gtk-update-icon-cache)
    if(KERNO_UPDATE_ICONS AND EXISTS \"\${CMAKE_INSTALL_PREFIX}/share/icons/hicolor/index.theme\")
      execute_process(COMMAND \${KERNO_UPDATE_ICONS} -q -t \"\${CMAKE_INSTALL_PREFIX}/share/icons/hicolor\"
                      RESULT_VARIABLE ignored OUTPUT_QUIET ERROR_QUIET)
    endif()
  endif()
")
