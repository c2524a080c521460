# Rich edit over the system's windowless text services.
target_sources(skinui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/UIRichEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TxtWinHost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RichEditContextMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RichEditRegistration.cpp
)
target_link_libraries(skinui PUBLIC imm32)
