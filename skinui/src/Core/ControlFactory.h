#pragma once

#include "Utils/UIString.h"

#include <map>

namespace SkinUI {

class CControlUI;

// Creates controls by class name ("CButtonUI"), compared without regard to case. UI thread only.
class CControlFactory {
public:
    using Creator = CControlUI* (*)();

    static CControlFactory* GetInstance();
    static void Release();

    void RegisterControl(const wchar_t* className, Creator creator);
    CControlUI* CreateControl(const wchar_t* className) const;

    CControlFactory(const CControlFactory&) = delete;
    CControlFactory& operator=(const CControlFactory&) = delete;

private:
    CControlFactory();

    std::map<CUIString, Creator, CUIStringLess> m_creators;
};

}  // namespace SkinUI
