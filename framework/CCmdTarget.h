#pragma once
// A class that handles messages through a message map.

#include "CObject.h"
#include "MessageMap.h"

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)

public:
    // Looks the message up in this class's map, then in its bases' maps; the
    // first entry that matches decides (its thunk says whether it handled it).
    BOOL DispatchMapMessage(UINT mapMessage, UINT code, UINT id, UINT thunkMessage, WPARAM wParam, LPARAM lParam,
                            LRESULT* result);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
