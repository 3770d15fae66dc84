# The harness bodies and their seeds, shared by the libFuzzer programs (fuzz/CMakeLists.txt) and
# the replay test of the normal suite (tests/CMakeLists.txt).
set(VELKA_FUZZ_TARGET_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/targets.cpp ${CMAKE_CURRENT_LIST_DIR}/targets.h
  ${CMAKE_CURRENT_LIST_DIR}/seeds.cpp ${CMAKE_CURRENT_LIST_DIR}/seeds.h
  ${CMAKE_CURRENT_LIST_DIR}/scratch.cpp ${CMAKE_CURRENT_LIST_DIR}/scratch.h)
