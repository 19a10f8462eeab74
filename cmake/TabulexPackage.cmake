# The Debian package: `cpack -G DEB` (or `cpack --preset deb`) in a release build makes
# tabulex_<version>_<arch>.deb of everything `cmake --install` installs, under /usr.
set(CPACK_PACKAGE_NAME tabulex)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Tabulex")
set(CPACK_PACKAGE_CONTACT "Quorvane Tabulex support <support@quorvane.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "move tables between Microsoft SQL Server and Paradox")
set(CPACK_PACKAGE_DESCRIPTION [[
Tabulex moves tables between a Microsoft SQL Server database and a folder of
Paradox tables (.db files), both ways, and deletes and renames tables on either
side: in its windows (tabulex) or from the command line (tabulex-batch). pxdump
prints a Paradox table as JSON lines.
It reaches SQL Server through unixODBC and FreeTDS, which the package registers
as the ODBC driver named SQL Server unless a driver of that name is registered
already.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the executables link (Qt, unixODBC, SQLite, libsecret, the C++
# runtime), as dpkg-shlibdeps finds them; then what is loaded or run by name: Qt's platform
# plugins for a desktop, FreeTDS's ODBC driver and odbcinst, which registers it, and the
# fonts that stand in for Arial, which the windows are laid out for. libsecret-1-0, which
# keeps the password in the desktop's secret store, is named too.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, odbcinst, tdsodbc, fonts-liberation, libsecret-1-0")
# QDesktopServices opens the help picture and folders with xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    "${PROJECT_SOURCE_DIR}/packaging/debian/postinst"
    "${PROJECT_SOURCE_DIR}/packaging/debian/prerm"
    "${PROJECT_SOURCE_DIR}/packaging/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
