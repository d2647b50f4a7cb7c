# The library folder functions; the generated sample library is their fallback.
target_sources(zruikit PRIVATE ${CMAKE_CURRENT_LIST_DIR}/folders.cpp)
target_compile_definitions(zruikit PRIVATE "FANCAD_SAMPLE_LIB=\"${FANCAD_SAMPLE_LIB}\"")
