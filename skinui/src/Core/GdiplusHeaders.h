#pragma once

// GDI+ needs the OLE property types that a lean windows.h leaves out.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
