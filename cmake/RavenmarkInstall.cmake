# Where `cmake --install` puts things. The program looks for its files (the buzzer sound, the manual) in
# the folder of its executable, so the program and those files share one private folder; bin/ holds only a
# relative link to the program there. Qt finds that folder through the link, from the real path of the
# running executable.
include(GNUInstallDirs)

set(RAVENMARK_INSTALL_PKGDIR "lib/ravenmark"
    CACHE STRING "Folder, under the install prefix, of the program and the files it reads beside itself")

# One name for the menu entry, the icon and the AppStream description.
set(RAVENMARK_APP_ID io.github.ravenmark.Ravenmark)
# The icon's sizes besides the scalable one, as the hicolor theme names its folders.
set(RAVENMARK_ICON_SIZES 16 22 24 32 48 64 128 256)
