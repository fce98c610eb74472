# What a Windows clerk installs: quillbary.exe with every DLL, plugin,
# translation and face it loads, in one folder, and `cpack` in the build
# folder makes of it a per-user NSIS installer (quillbary-1.00-win64-setup.exe)
# and a zip of the same files. Included from the top level on WIN32, before
# its CPack settings; the top level's include(CPack) reads what is set here.
#
# The exe's folder is ${CMAKE_INSTALL_BINDIR}, where window/ installs it; the
# cross build is configured with -DCMAKE_INSTALL_BINDIR=. so that the exe,
# the DLLs beside it and the folders below it make up the install folder.
# Everything below goes where the exe goes, so another folder works too.

# A cross build of the core alone (-DQUILLBARY_WINDOW=OFF, for its tests)
# has no program to package.
if(NOT QUILLBARY_WINDOW)
  return()
endif()

include(GNUInstallDirs)
set(quillbary_bindir "${CMAKE_INSTALL_BINDIR}")
if(quillbary_bindir STREQUAL ".")
  set(quillbary_exe_path "quillbary.exe")
else()
  string(REPLACE "/" "\\\\" quillbary_exe_path "${quillbary_bindir}/quillbary.exe")
endif()

# Qt's DLLs and plugins, wherever find_package found the Windows Qt. The
# window's find_package is in window/ and its targets are not seen here.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets PrintSupport)
install(FILES
  $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui>
  $<TARGET_FILE:Qt6::Widgets> $<TARGET_FILE:Qt6::PrintSupport>
  DESTINATION ${quillbary_bindir})
# Qt looks for plugins in platforms/ and styles/ under the exe's folder
# (QCoreApplication::libraryPaths() holds applicationDirPath()).
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
  DESTINATION ${quillbary_bindir}/platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>
  DESTINATION ${quillbary_bindir}/styles)

# qt.conf names the exe's own folder as Qt's prefix, where its translations
# are. Qt 6.4 guesses the same prefix from where Qt6Core.dll is, but the
# guess depends on the folder's layout; the file makes it certain.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/windows/qt.conf
  "[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/windows/qt.conf DESTINATION ${quillbary_bindir})

# Qt's dialogs and context menus in Chinese. A .qm file is the same on every
# platform; the Windows Qt comes without them, so they are taken from the
# build machine's Qt (Debian: qt6-translations-l10n).
find_file(QUILLBARY_QTBASE_ZH_CN qtbase_zh_CN.qm
  PATHS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS}
        ${QT_HOST_PATH}/share/qt6/translations /usr/share/qt6/translations
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES ${QUILLBARY_QTBASE_ZH_CN} DESTINATION ${quillbary_bindir}/translations)

# The C++ runtime the Qt DLLs are linked against (quillbary.exe itself links
# it statically), from the compiler that built them.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
  endif()
  install(FILES ${found} DESTINATION ${quillbary_bindir})
endforeach()

# libzip, libxlsxwriter and what they load, built for Windows into this
# prefix; zlib1.dll from the mingw-w64 tree (Debian's libz-mingw-w64) unless
# the prefix has its own.
set(QUILLBARY_WINDOWS_PREFIX "$ENV{HOME}/.cache/quillbary/windows/prefix" CACHE PATH
  "Where the Windows builds of libzip and libxlsxwriter are installed")
file(GLOB quillbary_prefix_dlls ${QUILLBARY_WINDOWS_PREFIX}/bin/*.dll)
if(NOT quillbary_prefix_dlls)
  message(WARNING "No DLLs in ${QUILLBARY_WINDOWS_PREFIX}/bin: the package will lack libzip and libxlsxwriter")
endif()
install(FILES ${quillbary_prefix_dlls} DESTINATION ${quillbary_bindir})
if(NOT EXISTS ${QUILLBARY_WINDOWS_PREFIX}/bin/zlib1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=zlib1.dll
    OUTPUT_VARIABLE quillbary_zlib1 OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${quillbary_zlib1}" OR NOT EXISTS "${quillbary_zlib1}")
    message(FATAL_ERROR "zlib1.dll not found: apt-get install libz-mingw-w64")
  endif()
  install(FILES ${quillbary_zlib1} DESTINATION ${quillbary_bindir})
endif()

# The faces the window and its page draw with, which Windows does not have,
# in fonts/ beside the exe, for the program to add to Qt's with
# QFontDatabase::addApplicationFont; each with its licence, since all three
# allow redistribution with the licence beside the font: EB Garamond of the
# total (SIL OFL 1.1), the Song face of the page (Arphic Public License) and
# DejaVu Serif of the page's figures (Bitstream Vera licence).
foreach(face
    "ebgaramond;EBGaramond;opentype/ebgaramond/EBGaramond12-Regular.otf"
    "arphic-gbsn00lp;ARPHIC-gbsn00lp;truetype/arphic-gbsn00lp/gbsn00lp.ttf"
    "dejavu-core;DejaVu;truetype/dejavu/DejaVuSerif.ttf")
  list(GET face 0 package)
  list(GET face 1 licence)
  list(GET face 2 file)
  foreach(required /usr/share/fonts/${file} /usr/share/doc/fonts-${package}/copyright)
    if(NOT EXISTS ${required})
      message(FATAL_ERROR "${required} is missing: apt-get install fonts-${package}")
    endif()
  endforeach()
  install(FILES /usr/share/fonts/${file} DESTINATION ${quillbary_bindir}/fonts)
  install(FILES /usr/share/doc/fonts-${package}/copyright
    DESTINATION ${quillbary_bindir}/fonts RENAME LICENSE-${licence}.txt)
endforeach()

# The installer. CPack's own NSIS template is replaced by
# cmake/windows/NSIS.template.in, which installs for the current user only.
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/windows ${CMAKE_MODULE_PATH})
set(CPACK_PACKAGE_FILE_NAME quillbary-${PROJECT_VERSION}-win64)
# The installer alone gets "-setup" in its name.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/windows/CPackOptions.cmake)

# Debian's makensis 3.08 makes 32-bit installers by default, which Debian's
# wine64 cannot run, hence Target amd64-unicode: a 64-bit Unicode
# installer, which shows the Chinese names (the script CPack writes from the
# template is UTF-8 with a byte-order mark). It is given in the script, not as
# makensis -XTarget: cpack splits CPACK_NSIS_EXECUTABLE_PRE_ARGUMENTS at
# spaces, quotes or not, and makensis then sees "-XTarget" alone.
#
# No administrator rights: the folder, the Start menu entry, the desktop
# shortcut and the uninstall entry are the user's. The journal and the
# program's settings are in %APPDATA%\quillbary and HKCU\Software\Quillbary,
# which the uninstaller never touches. (The installer's own registry key is
# Software\${CPACK_PACKAGE_VENDOR}\Quillbary: the vendor must stay other
# than "Quillbary", or uninstalling would delete the program's settings.)
set(CPACK_NSIS_DEFINES "Target amd64-unicode\nRequestExecutionLevel user")
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\\\Programs")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quillbary)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Quillbary)
set(CPACK_NSIS_PACKAGE_NAME "还款利息计算器")
set(CPACK_NSIS_DISPLAY_NAME "还款利息计算器")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ${quillbary_bindir})
set(CPACK_PACKAGE_EXECUTABLES "quillbary;还款利息计算器")
set(CPACK_NSIS_INSTALLED_ICON_NAME ${quillbary_exe_path})
set(quillbary_icon ${CMAKE_CURRENT_LIST_DIR}/../window/app/resources/icon.ico)
cmake_path(NORMAL_PATH quillbary_icon)
set(CPACK_NSIS_MUI_ICON ${quillbary_icon})
set(CPACK_NSIS_MUI_UNIICON ${quillbary_icon})
# CPACK_CREATE_DESKTOP_LINKS would make the desktop shortcut only when the
# clerk ticks it on the page that also offers to change PATH, which a window
# program has no use for; the shortcut is made, and removed, unconditionally.
set(CPACK_NSIS_CREATE_ICONS_EXTRA
  "CreateShortCut '$DESKTOP\\\\还款利息计算器.lnk' '$INSTDIR\\\\${quillbary_exe_path}'")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "Delete '$DESKTOP\\\\还款利息计算器.lnk'")
