#pragma once
// The SMART table both the drive page and the system page show: one row per
// catalogued attribute the store holds for a drive slot.

#include "Afx.h"

class SmartStore;

// Appends to `list` the catalogued attributes of `slot`, in id order: id
// (marked "(CR)" when critical), name, current, worst, raw and threshold.
// The caller holds the worker's state lock and has checked `slot` is in range.
void FillSmartAttributeRows(CListCtrl& list, const SmartStore& store, int slot);
