#include "SmartAttributeRows.h"

#include "SmartStore.h"
#include "SysOptListCtrl.h"

void FillSmartAttributeRows(CListCtrl& list, const SmartStore& store, int slot)
{
    const SmartDriveInfo& record = store.GetDriveRecord(slot);
    int row = 0;
    for (int id = 0; id < 255; ++id) {
        SmartAttribute* value = store.FindAttribute(record.slot, static_cast<BYTE>(id));
        const SmartAttributeDef* def = value ? store.FindAttributeDef(value->id) : nullptr;
        if (!def)
            continue;
        CString text;
        text.Format(def->critical ? L"%02X (CR)" : L"%02X", def->id);
        list.InsertItem(row, text);
        list.SetItemText(row, SMARTCOL_NAME, def->name);
        text.Format(L"%d", value->current);
        list.SetItemText(row, SMARTCOL_VALUE, text);
        text.Format(L"%d", value->worst);
        list.SetItemText(row, SMARTCOL_WORST, text);
        text.Format(L"%08X", value->raw);
        list.SetItemText(row, SMARTCOL_RAW, text);
        text.Format(L"%u", value->threshold);
        list.SetItemText(row, SMARTCOL_THRESHOLD, text);
        ++row;
    }
}
