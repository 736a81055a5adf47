#include "SSDOpThread.h"

void CSSDOpThread::OnSelectDevice(WPARAM, LPARAM) {}
void CSSDOpThread::OnRefreshDevice(WPARAM, LPARAM) {}
void CSSDOpThread::RefreshCurrentDevice() {}
void CSSDOpThread::OnReadSmart(WPARAM, LPARAM) {}
void CSSDOpThread::OnGetWriteCache(WPARAM, LPARAM) {}
void CSSDOpThread::OnSetWriteCache(WPARAM, LPARAM) {}
void CSSDOpThread::OnReadFlashId(WPARAM, LPARAM) {}
void CSSDOpThread::OnFormatNand(WPARAM, LPARAM) {}
void CSSDOpThread::OnSwitchSpeed(WPARAM, LPARAM) {}
