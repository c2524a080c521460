# Sources of this control family are added to the skinui target here.
target_sources(skinui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/UIList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIListHeader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIListElement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UITreeView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIComboBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListsRegistration.cpp)
