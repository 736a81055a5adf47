// Stand-in for the maker's NVMe device library, VntNvmed.dll, over the
// simulated machine. Each export journals its call with its arguments,
// honours the fault knobs and lets KestrovaSim.dll answer it.

#include "VntNvmed.h"

#include "SimStubCall.h"

namespace {

const int kLib = SIM_LIB_NVME;

} // namespace

extern "C" {

int NvmeScanController(DWORD* devInsts, DWORD* count, BYTE arg0, BYTE arg1)
{
    SimStubCall call("NvmeScanController", kLib, -1, "%s, %s, %u, %u", SimArg(devInsts, "out"), SimArg(count, "out"),
                     arg0, arg1);
    if (call.Failed())
        return 0;
    int result = SimLibScan(kLib, devInsts, nullptr, count);
    // Corrupted, the entries and the count come back inverted: a count far
    // beyond the 256 entries a caller's array holds.
    call.Output(result, devInsts, result ? *count * sizeof(DWORD) : 0);
    return call.Output(result, count, sizeof(DWORD));
}

int NvmeOpenByInst(int index, DWORD devInst)
{
    SimStubCall call("NvmeOpenByInst", kLib, index, "%d, 0x%lx", index, devInst);
    return call.Failed() ? 0 : SimLibOpen(kLib, index, devInst);
}

int NvmeClose(int index)
{
    SimStubCall call("NvmeClose", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibClose(kLib, index);
}

int NvmeStatus(DWORD arg0, DWORD length, BYTE* buffer, int index)
{
    SimStubCall call("NvmeStatus", kLib, index, "%lu, %lu, %s, %d", arg0, length, SimArg(buffer, "buf"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibIdentifyController(kLib, index, length, buffer), buffer, length);
}

int NvmeStatusLun(DWORD arg0, DWORD arg1, DWORD length, BYTE* buffer, int index)
{
    SimStubCall call("NvmeStatusLun", kLib, index, "%lu, %lu, %lu, %s, %d", arg0, arg1, length, SimArg(buffer, "buf"),
                     index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibIdentifyNamespace(kLib, index, length, buffer), buffer, length);
}

int NvmeGetFeature(BYTE feature, DWORD length, BYTE* buffer, DWORD* dword0, int index)
{
    SimStubCall call("NvmeGetFeature", kLib, index, "%u, %lu, %s, %s, %d", feature, length, SimArg(buffer, "buf"),
                     SimArg(dword0, "out"), index);
    if (call.Failed())
        return 0;
    int result = call.Output(SimLibGetFeature(kLib, index, feature, length, buffer, dword0), buffer, length);
    return call.Output(result, dword0, sizeof(DWORD));
}

int NvmeReadPcieConfigSpace(DWORD offset, DWORD length, BYTE* buffer, int index)
{
    SimStubCall call("NvmeReadPcieConfigSpace", kLib, index, "%lu, %lu, %s, %d", offset, length, SimArg(buffer, "buf"),
                     index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibPcieConfig(kLib, index, offset, length, buffer), buffer, length);
}

int NvmeCapacity(ULONGLONG* capacity, int index)
{
    SimStubCall call("NvmeCapacity", kLib, index, "%s, %d", SimArg(capacity, "out"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibCapacity(kLib, index, capacity), capacity, sizeof(ULONGLONG));
}

int NvmeGetDiskNum(int* diskNum, int index)
{
    SimStubCall call("NvmeGetDiskNum", kLib, index, "%s, %d", SimArg(diskNum, "out"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibDiskNum(kLib, index, diskNum), diskNum, sizeof(int));
}

int NvmeGetDevName(char* name, int index)
{
    SimStubCall call("NvmeGetDevName", kLib, index, "%s, %d", SimArg(name, "buf"), index);
    if (call.Failed())
        return 0;
    int result = SimLibDevName(kLib, index, name, 1024);
    return call.Output(result, name, 1024);
}

int NvmeReadCapacity10(char* text, int index)
{
    SimStubCall call("NvmeReadCapacity10", kLib, index, "%s, %d", SimArg(text, "buf"), index);
    if (call.Failed())
        return 0;
    int result = SimLibReadCapacity10(kLib, index, text, 260);
    return call.Output(result, text, 260);
}

int NvmeGetPath2(BYTE volume, DWORD* letterIndex, int index)
{
    SimStubCall call("NvmeGetPath2", kLib, index, "%u, %s, %d", volume, SimArg(letterIndex, "out"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibGetPath2(kLib, index, volume, letterIndex), letterIndex, sizeof(DWORD));
}

int NvmeGetWriteCache(int* state, int index)
{
    SimStubCall call("NvmeGetWriteCache", kLib, index, "%s, %d", SimArg(state, "out"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibGetWriteCache(kLib, index, state), state, sizeof(int));
}

int NvmeSetWriteCache(int state, int index)
{
    SimStubCall call("NvmeSetWriteCache", kLib, index, "%d, %d", state, index);
    return call.Failed() ? 0 : SimLibSetWriteCache(kLib, index, state);
}

int NvmeSmartLog(DWORD length, BYTE* buffer, int index)
{
    SimStubCall call("NvmeSmartLog", kLib, index, "%lu, %s, %d", length, SimArg(buffer, "buf"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibSmartLog(kLib, index, length, buffer), buffer, length);
}

int NvmeIdentify(BYTE* buffer, DWORD length, int index)
{
    SimStubCall call("NvmeIdentify", kLib, index, "%s, %lu, %d", SimArg(buffer, "buf"), length, index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibAtaIdentify(kLib, index, length, buffer), buffer, length);
}

int NvmeFormat(int index)
{
    SimStubCall call("NvmeFormat", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibFormat(kLib, index);
}

int NvmeFwDownload2(DWORD offsetWords, DWORD sizeWords, BYTE* data, int index)
{
    SimStubCall call("NvmeFwDownload2", kLib, index, "%lu, %lu, %s, %d", offsetWords, sizeWords, SimArg(data, "data"),
                     index);
    if (call.Failed() || offsetWords > 0x3FFFFFFF || sizeWords > 0x3FFFFFFF)
        return 0;
    const BYTE* stored = call.Input(data, sizeWords * 4);
    return SimLibFwDownload(kLib, index, offsetWords * 4, sizeWords * 4, stored);
}

int NvmeFwActivate(BYTE arg0, BYTE arg1, int index)
{
    SimStubCall call("NvmeFwActivate", kLib, index, "%u, %u, %d", arg0, arg1, index);
    return call.Failed() ? 0 : SimLibFwActivate(kLib, index);
}

int NvmeGetFwMode(char* text, int index)
{
    SimStubCall call("NvmeGetFwMode", kLib, index, "%s, %d", SimArg(text, "buf"), index);
    if (call.Failed())
        return 0;
    int result = SimLibGetFwMode(kLib, index, text, 256);
    return call.Output(result, text, 256);
}

int NvmeSetFwMode(BYTE mode, int index)
{
    SimStubCall call("NvmeSetFwMode", kLib, index, "%u, %d", mode, index);
    return call.Failed() ? 0 : SimLibSetFwMode(kLib, index, mode);
}

int NvmeReboot(BYTE mode, int index)
{
    SimStubCall call("NvmeReboot", kLib, index, "%u, %d", mode, index);
    return call.Failed() ? 0 : SimLibReboot(kLib, index, mode);
}

int NvmeEraseNor(BYTE value, int index)
{
    SimStubCall call("NvmeEraseNor", kLib, index, "%u, %d", value, index);
    return call.Failed() ? 0 : SimLibEraseNor(kLib, index, value);
}

int NvmeReadReg(DWORD address, DWORD length, BYTE* buffer, int index)
{
    SimStubCall call("NvmeReadReg", kLib, index, "%lu, %lu, %s, %d", address, length, SimArg(buffer, "buf"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibReadSpace(kLib, index, address, length, buffer), buffer, length);
}

int NvmeWriteReg(DWORD address, DWORD length, BYTE* data, int index)
{
    SimStubCall call("NvmeWriteReg", kLib, index, "%lu, %lu, %s, %d", address, length, SimArg(data, "data"), index);
    if (call.Failed())
        return 0;
    return SimLibWriteSpace(kLib, index, address, length, call.Input(data, length));
}

// Block calls carry the block count and the byte length; a length that does
// not cover the blocks is refused rather than overrunning the caller's buffer.
int NvmeReadBlk(DWORD address, DWORD blocks, DWORD length, BYTE* buffer, int index)
{
    SimStubCall call("NvmeReadBlk", kLib, index, "%lu, %lu, %lu, %s, %d", address, blocks, length,
                     SimArg(buffer, "buf"), index);
    if (call.Failed() || blocks > 0x7FFFFF || length < blocks * 512)
        return 0;
    return call.Output(SimLibReadSpace(kLib, index, address, blocks * 512, buffer), buffer, blocks * 512);
}

int NvmeWriteBlk(DWORD address, DWORD blocks, DWORD length, BYTE* data, int index)
{
    SimStubCall call("NvmeWriteBlk", kLib, index, "%lu, %lu, %lu, %s, %d", address, blocks, length,
                     SimArg(data, "data"), index);
    if (call.Failed() || blocks > 0x7FFFFF || length < blocks * 512)
        return 0;
    return SimLibWriteSpace(kLib, index, address, blocks * 512, call.Input(data, blocks * 512));
}

int NvmeReadLba(DWORD lba, DWORD sectors, DWORD length, BYTE* buffer, int index)
{
    SimStubCall call("NvmeReadLba", kLib, index, "%lu, %lu, %lu, %s, %d", lba, sectors, length, SimArg(buffer, "buf"),
                     index);
    if (call.Failed() || sectors > 0x7FFFFF || length < sectors * 512)
        return 0;
    return call.Output(SimLibReadMedium(kLib, index, lba, sectors, buffer), buffer, sectors * 512);
}

int NvmeRead10(DWORD lba, DWORD sectors, DWORD length, BYTE* buffer, int index)
{
    SimStubCall call("NvmeRead10", kLib, index, "%lu, %lu, %lu, %s, %d", lba, sectors, length, SimArg(buffer, "buf"),
                     index);
    if (call.Failed() || sectors > 0x7FFFFF || length < sectors * 512)
        return 0;
    return call.Output(SimLibReadMedium(kLib, index, lba, sectors, buffer), buffer, sectors * 512);
}

int NvmeWrite10(DWORD lba, DWORD sectors, DWORD length, BYTE* data, int index)
{
    SimStubCall call("NvmeWrite10", kLib, index, "%lu, %lu, %lu, %s, %d", lba, sectors, length, SimArg(data, "data"),
                     index);
    if (call.Failed() || sectors > 0x7FFFFF || length < sectors * 512)
        return 0;
    return SimLibWriteMedium(kLib, index, lba, sectors, call.Input(data, sectors * 512));
}

int NvmeSychronizeCache10(int index)
{
    SimStubCall call("NvmeSychronizeCache10", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int NvmeReady(int index)
{
    SimStubCall call("NvmeReady", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int NvmeFunctionTest(int index)
{
    SimStubCall call("NvmeFunctionTest", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int NvmeGetMaxTxLen(DWORD* maxLength, int index)
{
    SimStubCall call("NvmeGetMaxTxLen", kLib, index, "%s, %d", SimArg(maxLength, "out"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibMaxTxLen(kLib, index, maxLength), maxLength, sizeof(DWORD));
}

int NvmeLlfInit(BYTE arg0, BYTE arg1, int index)
{
    SimStubCall call("NvmeLlfInit", kLib, index, "%u, %u, %d", arg0, arg1, index);
    return call.Failed() ? 0 : SimLibStartJob(kLib, index, SIM_JOB_LLF_INIT);
}

int NvmeLlfAll(int index)
{
    SimStubCall call("NvmeLlfAll", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibStartJob(kLib, index, SIM_JOB_LLF_ALL);
}

int NvmeLlfResp(DWORD length, BYTE* buffer, int index)
{
    SimStubCall call("NvmeLlfResp", kLib, index, "%lu, %s, %d", length, SimArg(buffer, "buf"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibJobResponse(kLib, index, length, buffer), buffer, length < 512 ? length : 512);
}

int NvmeLlfSsdInfo(WORD value, DWORD length, BYTE* buffer, int index)
{
    SimStubCall call("NvmeLlfSsdInfo", kLib, index, "%u, %lu, %s, %d", value, length, SimArg(buffer, "buf"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibSsdInfo(kLib, index, length, buffer), buffer, length < 512 ? length : 512);
}

int NvmeLlfEraseNand(BYTE value, int index)
{
    SimStubCall call("NvmeLlfEraseNand", kLib, index, "%u, %d", value, index);
    return call.Failed() ? 0 : SimLibStartJob(kLib, index, SIM_JOB_ERASE_NAND);
}

int NvmeLlfCalibrate(BYTE arg0, BYTE arg1, int index)
{
    SimStubCall call("NvmeLlfCalibrate", kLib, index, "%u, %u, %d", arg0, arg1, index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int NvmeLlfExecute(BYTE arg0, BYTE arg1, DWORD arg2, int index)
{
    SimStubCall call("NvmeLlfExecute", kLib, index, "%u, %u, %lu, %d", arg0, arg1, arg2, index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int NvmeLlfFwUpdate(int index)
{
    SimStubCall call("NvmeLlfFwUpdate", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int NvmeLlfOdbt(BYTE value, int index)
{
    SimStubCall call("NvmeLlfOdbt", kLib, index, "%u, %d", value, index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int NvmeLlfReadId(BYTE arg0, BYTE arg1, int index)
{
    SimStubCall call("NvmeLlfReadId", kLib, index, "%u, %u, %d", arg0, arg1, index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int NvmeSelfTest(BYTE item, BYTE blocks, int index)
{
    SimStubCall call("NvmeSelfTest", kLib, index, "%u, %u, %d", item, blocks, index);
    return call.Failed() ? 0 : SimLibStartJob(kLib, index, SIM_JOB_SELF_TEST);
}

int NvmeNandReadId(BYTE arg0, BYTE arg1, BYTE arg2, DWORD length, BYTE* buffer, int index)
{
    SimStubCall call("NvmeNandReadId", kLib, index, "%u, %u, %u, %lu, %s, %d", arg0, arg1, arg2, length,
                     SimArg(buffer, "buf"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibFlashId(kLib, index, length, buffer), buffer, 8);
}

int NvmeSwitchSpeed(DWORD value)
{
    SimStubCall call("NvmeSwitchSpeed", kLib, -1, "%lu", value);
    return call.Failed() ? 0 : SimLibSwitchSpeed();
}

int NvmeConfigToBin(const char* iniPath, const char* binPath)
{
    SimStubCall call("NvmeConfigToBin", kLib, -1, "\"%s\", \"%s\"", iniPath ? iniPath : "<null>",
                     binPath ? binPath : "<null>");
    return call.Failed() ? 0 : SimLibConfigToBin(iniPath, binPath);
}

} // extern "C"
