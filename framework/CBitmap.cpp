#include "CBitmap.h"

#include "AfxResource.h"
#include "CDC.h"

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    return Attach(::CreateCompatibleBitmap(dc->GetSafeHdc(), width, height));
}

BOOL CBitmap::LoadBitmap(UINT resourceId)
{
    return Attach(::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(resourceId)));
}
