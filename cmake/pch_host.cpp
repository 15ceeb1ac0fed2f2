// Compiled only to build the precompiled header of one kind of target (cmake/M4Defaults.cmake).
