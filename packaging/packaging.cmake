# Installation of the programs and the desktop integration, and the Debian package.
# Included from the top-level CMakeLists.txt; the start folder's files install from share/.
include(GNUInstallDirs)

if(TARGET velloq)
  # The editor proper lives beside nothing else; users start it through the launcher.
  install(TARGETS velloq DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/velloq)
endif()
install(TARGETS oxserver velloq-gerar DESTINATION ${CMAKE_INSTALL_BINDIR})

set(VELLOQ_DATADIR ${CMAKE_INSTALL_DATADIR})
set(VELLOQ_LIBEXECDIR ${CMAKE_INSTALL_LIBEXECDIR})
set(VELLOQ_BINDIR ${CMAKE_INSTALL_BINDIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/velloq.sh.in ${CMAKE_BINARY_DIR}/packaging/velloq @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/velloq DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/org.velloq.Velloq.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/org.velloq.Velloq.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/org.velloq.Velloq.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velloq)
set(CPACK_PACKAGE_VENDOR "Equipe Velloq")
set(CPACK_PACKAGE_CONTACT "Equipe Velloq <contato@velloq.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor de páginas web de matemática para leitores de tela")
set(CPACK_PACKAGE_DESCRIPTION "Velloq é um editor, em português do Brasil, de páginas web de \
matemática. Os documentos usam uma marcação simples de linhas e fórmulas ASCIIMath entre \
crases; a página gerada mostra as fórmulas desenhadas, também sem internet. F9 lê a linha do \
cursor em voz alta, com cada fórmula dita em português pelo servidor de fala oxserver.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, speech-dispatcher, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "chromium | firefox-esr | www-browser, speech-dispatcher-espeak-ng, orca, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)
