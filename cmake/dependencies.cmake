# The outside libraries, looked up once for the whole tree: the platform builds on them, and
# the tests, benchmarks and tools that check it against them link the same targets.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(GIF REQUIRED)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11 xext)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libavutil libswscale libswresample)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
