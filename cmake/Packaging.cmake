# make deb: a Debian package through CPack. The dependencies of the programs
# come from dpkg-shlibdeps (libqt6multimedia6 among them); only what is
# loaded at run time without being linked is named here: a Japanese font and
# the GStreamer plugins that decode and play the songs (WAV, FLAC, MP3...).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorqview)
set(CPACK_PACKAGE_VENDOR Brelon)
set(CPACK_PACKAGE_CONTACT "vorqview maintainers <vorqview@vorq.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and collector of the weekly VORQ music chart")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "viewer and collector of the weekly VORQ music chart\n"
    " vorqview keeps one chart file per broadcast week, shows the weeks in a date\n"
    " list and the ranking of the chosen week, associates songs with files, imports\n"
    " missing weeks, searches the charts, writes playlists (path lists, M3U8,\n"
    " XSPF) and plays a week's countdown, with the desktop's media controls.\n"
    " vorq runs the same engine on the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-ipafont-gothic | fonts-japanese-gothic, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.vorq.example/")
# Only the programs and their data; tests and benchmarks install nothing.
set(CPACK_SOURCE_IGNORE_FILES "/build.*/;/\\\\.git/")
include(CPack)
