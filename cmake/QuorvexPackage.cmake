# The Debian package: `cmake --build --preset release --target package`. Its dependencies come
# from the shared libraries the program links (dpkg-shlibdeps), so they follow the build
# machine's Qt instead of a hand-kept list.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvex)
set(CPACK_PACKAGE_VENDOR "The Quorvex developers")
set(CPACK_PACKAGE_CONTACT "Quorvex developers <dev@quorvex.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "See which folders and files take up disk space")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Quorvex walks a whole folder tree, totals folder sizes and groups every file by size, age, "
    "name length and type, with a folder tree, lists, charts, reports and a treemap.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://quorvex.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Only the program: the test and benchmark tools stay in the build tree.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/")
include(CPack)
