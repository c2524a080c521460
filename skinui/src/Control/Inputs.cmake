# Sources of this control family are added to the skinui target here.
target_sources(skinui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/InputsRegistration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIOption.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UISlider.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIAnimation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIAnimationTabLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIGifAnim.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIDateTime.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DateTimeWnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIIPAddress.cpp
)
