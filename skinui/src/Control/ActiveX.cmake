# ActiveX hosting and the controls built on it.
target_sources(skinui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/UIActiveX.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIWebBrowser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIFlash.cpp
)
target_link_libraries(skinui PUBLIC ole32 oleaut32 uuid)
