# Installation and the Debian package: the interpreter, the checker and the formatter, their man
# pages, the guide and the example programs; the language server, the debug adapter and the
# editor guide. `cmake --install
# build --prefix DIR` installs them under DIR; `cpack -G DEB` in the build directory makes
# azuvel_<version>_<arch>.deb for /usr.
include(GNUInstallDirs)

install(TARGETS azuvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/azuvel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/docs/language.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The checker, the language server and the formatter, when they were built, with their man
# pages.
if(TARGET azuvel-check)
    install(TARGETS azuvel-check azuvel-lsp azuvel-fmt azuvel-dap
            RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/docs/azuvel-check.1 ${PROJECT_SOURCE_DIR}/docs/azuvel-lsp.1
                  ${PROJECT_SOURCE_DIR}/docs/azuvel-fmt.1
                  ${PROJECT_SOURCE_DIR}/docs/azuvel-dap.1
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/docs/editors.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/editors/neovim/azuvel.lua
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/editors/neovim)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples
        FILES_MATCHING PATTERN "*.az" PATTERN "*.out")

set(CPACK_PACKAGE_NAME azuvel)
set(CPACK_PACKAGE_VENDOR "Azuvel maintainers")
set(CPACK_PACKAGE_CONTACT "Azuvel maintainers <maintainers@users.noreply.c-seed-f4d097ca.example>")
# The release is a beta of 4.0.0: "~" sorts it before the final 4.0.0 in Debian's ordering.
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}~beta")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interpreter for the Azuvel scripting language")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION interpreters)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION
    "Azuvel is a small scripting language with numbers, strings, variables,
print, if and while. The azuvel command runs one script file; scripts that
start with #!/usr/bin/env azuvel run as programs. The azuvel-check command
finds the mistakes in scripts without running them, and azuvel-fmt lays
them out in the one standard way.

The package holds the interpreter, the checker, their manual pages, the
language guide, example programs, azuvel-lsp, a language server that
brings the checks, hover, navigation and quick fixes to editors, and
azuvel-dap, a debug adapter that steps through a run forward and back.")
if(AZUVEL_STATIC AND NOT AZUVEL_SANITIZE)
    # A static executable needs no shared library at all.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "")
else()
    find_program(DPKG_SHLIBDEPS_PROGRAM dpkg-shlibdeps)
    if(DPKG_SHLIBDEPS_PROGRAM)
        set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    else()
        # What a g++ 12 build links against; dpkg-shlibdeps (dpkg-dev) works it out exactly.
        set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
    endif()
endif()

include(CPack)
