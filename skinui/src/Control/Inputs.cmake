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
  ${CMAKE_CURRENT_LIST_DIR}/NativeFieldEvents.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIIPAddress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIGroupBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIRollText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIColorPalette.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIHotKey.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HotKeyWnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIFadeButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIRing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UIPlaceHolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlaceHolderWnd.cpp
)
