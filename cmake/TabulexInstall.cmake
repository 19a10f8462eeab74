# The installed layout. The program finds its files (Samples/, local-connection-example.jpg,
# HAND-M.CUR) beside its own executable, so the executables and those files share one
# folder, <prefix>/lib/tabulex, as they share <build>/app in the build tree. <prefix>/bin
# holds relative symbolic links to the executables; Qt's applicationDirPath() resolves them
# through /proc/self/exe, so a program started through bin/ still finds lib/tabulex.
include(GNUInstallDirs)
set(TABULEX_INSTALL_APP_DIR "lib/tabulex")

# tabulex_install_program(<target>): the executable into the program folder and a link to
# it into bin/.
function(tabulex_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION "${TABULEX_INSTALL_APP_DIR}")
  file(RELATIVE_PATH to_app_dir "/${CMAKE_INSTALL_BINDIR}" "/${TABULEX_INSTALL_APP_DIR}")
  set(link "${CMAKE_BINARY_DIR}/install-links/${target}")
  file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/install-links")
  file(CREATE_LINK "${to_app_dir}/${target}" "${link}" SYMBOLIC)
  # install(FILES) copies a symbolic link as a link.
  install(FILES "${link}" DESTINATION "${CMAKE_INSTALL_BINDIR}")
endfunction()
