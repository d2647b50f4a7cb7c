target_sources(zrfan_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/fan_dlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fan_dlg_cascade.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fan_dlg_grids.cpp
)
