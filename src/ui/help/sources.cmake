# Sources of this folder for the zumgui library.
target_sources(zumgui PRIVATE)
