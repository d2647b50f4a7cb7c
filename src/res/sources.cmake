target_sources(zrfan_objects PRIVATE ${CMAKE_CURRENT_LIST_DIR}/fan_resources.cpp)
