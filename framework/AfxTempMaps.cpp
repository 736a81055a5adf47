#include "AfxTempMaps.h"

#include "CDC.h"
#include "CWnd.h"

void AfxDeleteTempMaps()
{
    CWnd::DeleteTempMap();
    CDC::DeleteTempMap();
    CGdiObject::DeleteTempMap();
    CMenu::DeleteTempMap();
}
