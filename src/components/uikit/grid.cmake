# The grid control and its cells.
target_sources(zruikit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/grid_cell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grid_ctrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grid_btn_cell.cpp
)
