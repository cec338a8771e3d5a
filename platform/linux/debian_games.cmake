# Run by CPack once the files are laid out for the Debian package: usr/bin/ becomes usr/games/.
set(usr ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(RENAME ${usr}/bin ${usr}/games)
