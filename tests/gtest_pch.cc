// The object that carries the precompiled GoogleTest header (tests/CMakeLists.txt).
