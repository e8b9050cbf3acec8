# Included at the end of project() by the Windows preset (CMAKE_PROJECT_INCLUDE): the Windows
# build runs no unit tests, but its checks of the built DLL are CTest tests, which need testing
# enabled in the top directory.
enable_testing()
