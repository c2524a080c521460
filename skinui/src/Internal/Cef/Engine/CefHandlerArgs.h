#pragma once

#include "CefBase.h"
#include "CefTypes.h"

// Objects the engine hands to the client's handlers.

class CefContextMenuParams : public virtual CefBase {};

class CefMenuModel : public virtual CefBase {
public:
    virtual bool Clear() = 0;
};

class CefRequest : public virtual CefBase {
public:
    virtual CefString GetURL() = 0;
};

class CefResponse : public virtual CefBase {
public:
    virtual int GetStatus() = 0;
};

class CefDownloadItem : public virtual CefBase {};

class CefBeforeDownloadCallback : public virtual CefBase {
public:
    // An empty path lets the engine choose; showDialog asks the user to confirm it.
    virtual void Continue(const CefString& downloadPath, bool showDialog) = 0;
};

// Passed to questions the client answers by its return value alone: never looked into here.
class CefRunContextMenuCallback : public virtual CefBase {};
class CefDragData : public virtual CefBase {};
class CefRequestCallback : public virtual CefBase {};
class CefAuthCallback : public virtual CefBase {};
class CefSSLInfo : public virtual CefBase {};
class CefResourceHandler : public virtual CefBase {};
class CefResponseFilter : public virtual CefBase {};
