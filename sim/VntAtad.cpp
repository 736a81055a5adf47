// Stand-in for the maker's SATA device library, VntAtad.dll, over the
// simulated machine. Each export journals its call with its arguments,
// honours the fault knobs and lets KestrovaSim.dll answer it. Counts and
// lengths marked WORD are 16-bit as the library takes them.

#include "VntAtad.h"

#include "SimStubCall.h"

namespace {

const int kLib = SIM_LIB_ATA;

} // namespace

extern "C" {

int VaScanDisk(DWORD* devInsts, DWORD* ahciFlags, DWORD* count, BYTE arg0, BYTE arg1)
{
    SimStubCall call("VaScanDisk", kLib, -1, "%s, %s, %s, %u, %u", SimArg(devInsts, "out"), SimArg(ahciFlags, "out"),
                     SimArg(count, "out"), arg0, arg1);
    return call.Failed() ? 0 : SimLibScan(kLib, devInsts, ahciFlags, count);
}

int VaGetAhciController(DWORD diskInst, DWORD* controllerInst)
{
    SimStubCall call("VaGetAhciController", kLib, -1, "0x%lx, %s", diskInst, SimArg(controllerInst, "out"));
    return call.Failed() ? 0 : SimLibAhciController(diskInst, controllerInst);
}

int VaOpenByInst(int index, DWORD devInst)
{
    SimStubCall call("VaOpenByInst", kLib, index, "%d, 0x%lx", index, devInst);
    return call.Failed() ? 0 : SimLibOpen(kLib, index, devInst);
}

int VaClose(int index)
{
    SimStubCall call("VaClose", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibClose(kLib, index);
}

int VaCapacity(ULONGLONG* capacity, int index)
{
    SimStubCall call("VaCapacity", kLib, index, "%s, %d", SimArg(capacity, "out"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibCapacity(kLib, index, capacity), capacity, sizeof(ULONGLONG));
}

int VaGetDiskNum(int* diskNum, int index)
{
    SimStubCall call("VaGetDiskNum", kLib, index, "%s, %d", SimArg(diskNum, "out"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibDiskNum(kLib, index, diskNum), diskNum, sizeof(int));
}

int VaGetDevName(char* name, int index)
{
    SimStubCall call("VaGetDevName", kLib, index, "%s, %d", SimArg(name, "buf"), index);
    if (call.Failed())
        return 0;
    int result = SimLibDevName(kLib, index, name, 1024);
    return call.Output(result, name, 1024);
}

int VaReadCapacity10(char* text, int index)
{
    SimStubCall call("VaReadCapacity10", kLib, index, "%s, %d", SimArg(text, "buf"), index);
    if (call.Failed())
        return 0;
    int result = SimLibReadCapacity10(kLib, index, text, 260);
    return call.Output(result, text, 260);
}

int VaGetPath2(BYTE volume, DWORD* letterIndex, int index)
{
    SimStubCall call("VaGetPath2", kLib, index, "%u, %s, %d", volume, SimArg(letterIndex, "out"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibGetPath2(kLib, index, volume, letterIndex), letterIndex, sizeof(DWORD));
}

int VaGetWriteCache(int* state, int index)
{
    SimStubCall call("VaGetWriteCache", kLib, index, "%s, %d", SimArg(state, "out"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibGetWriteCache(kLib, index, state), state, sizeof(int));
}

int VaSetWriteCache(int state, int index)
{
    SimStubCall call("VaSetWriteCache", kLib, index, "%d, %d", state, index);
    return call.Failed() ? 0 : SimLibSetWriteCache(kLib, index, state);
}

int VaIdentify(WORD length, BYTE* buffer, int index)
{
    SimStubCall call("VaIdentify", kLib, index, "%u, %s, %d", length, SimArg(buffer, "buf"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibAtaIdentify(kLib, index, length, buffer), buffer, length < 512 ? length : 512);
}

int VaSecurityErase(int index)
{
    SimStubCall call("VaSecurityErase", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibFormat(kLib, index);
}

int VaFwDownload(BYTE mode, WORD offsetSectors, WORD sizeSectors, BYTE* data, int index)
{
    SimStubCall call("VaFwDownload", kLib, index, "%u, %u, %u, %s, %d", mode, offsetSectors, sizeSectors,
                     SimArg(data, "data"), index);
    if (call.Failed())
        return 0;
    DWORD size = static_cast<DWORD>(sizeSectors) * 512;
    return SimLibFwDownload(kLib, index, static_cast<DWORD>(offsetSectors) * 512, size, call.Input(data, size));
}

int VaFwActivate(int index)
{
    SimStubCall call("VaFwActivate", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibFwActivate(kLib, index);
}

int VaGetFWMode(char* text, int index)
{
    SimStubCall call("VaGetFWMode", kLib, index, "%s, %d", SimArg(text, "buf"), index);
    if (call.Failed())
        return 0;
    int result = SimLibGetFwMode(kLib, index, text, 256);
    return call.Output(result, text, 256);
}

int VaSetFWMode(BYTE mode, int index)
{
    SimStubCall call("VaSetFWMode", kLib, index, "%u, %d", mode, index);
    return call.Failed() ? 0 : SimLibSetFwMode(kLib, index, mode);
}

int VaReboot(BYTE mode, int index)
{
    SimStubCall call("VaReboot", kLib, index, "%u, %d", mode, index);
    return call.Failed() ? 0 : SimLibReboot(kLib, index, mode);
}

int VaEraseNor(BYTE value, int index)
{
    SimStubCall call("VaEraseNor", kLib, index, "%u, %d", value, index);
    return call.Failed() ? 0 : SimLibEraseNor(kLib, index, value);
}

int VaReadReg(DWORD address, WORD length, BYTE* buffer, int index)
{
    SimStubCall call("VaReadReg", kLib, index, "%lu, %u, %s, %d", address, length, SimArg(buffer, "buf"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibReadSpace(kLib, index, address, length, buffer), buffer, length);
}

int VaWriteReg(DWORD address, WORD length, BYTE* data, int index)
{
    SimStubCall call("VaWriteReg", kLib, index, "%lu, %u, %s, %d", address, length, SimArg(data, "data"), index);
    if (call.Failed())
        return 0;
    return SimLibWriteSpace(kLib, index, address, length, call.Input(data, length));
}

int VaReadBlk(DWORD address, WORD blocks, BYTE* buffer, int index)
{
    SimStubCall call("VaReadBlk", kLib, index, "%lu, %u, %s, %d", address, blocks, SimArg(buffer, "buf"), index);
    if (call.Failed())
        return 0;
    DWORD size = static_cast<DWORD>(blocks) * 512;
    return call.Output(SimLibReadSpace(kLib, index, address, size, buffer), buffer, size);
}

int VaWriteBlk(DWORD address, WORD blocks, BYTE* data, int index)
{
    SimStubCall call("VaWriteBlk", kLib, index, "%lu, %u, %s, %d", address, blocks, SimArg(data, "data"), index);
    if (call.Failed())
        return 0;
    DWORD size = static_cast<DWORD>(blocks) * 512;
    return SimLibWriteSpace(kLib, index, address, size, call.Input(data, size));
}

int VaReadLba(DWORD lba, WORD sectors, BYTE* buffer, int index)
{
    SimStubCall call("VaReadLba", kLib, index, "%lu, %u, %s, %d", lba, sectors, SimArg(buffer, "buf"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibReadMedium(kLib, index, lba, sectors, buffer), buffer, sectors * 512u);
}

int VaWriteLba(DWORD lba, WORD sectors, BYTE* data, int index)
{
    SimStubCall call("VaWriteLba", kLib, index, "%lu, %u, %s, %d", lba, sectors, SimArg(data, "data"), index);
    if (call.Failed())
        return 0;
    return SimLibWriteMedium(kLib, index, lba, sectors, call.Input(data, sectors * 512u));
}

int VaRead10(DWORD lba, WORD sectors, BYTE* buffer, int index)
{
    SimStubCall call("VaRead10", kLib, index, "%lu, %u, %s, %d", lba, sectors, SimArg(buffer, "buf"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibReadMedium(kLib, index, lba, sectors, buffer), buffer, sectors * 512u);
}

int VaWrite10(DWORD lba, WORD sectors, BYTE* data, int index)
{
    SimStubCall call("VaWrite10", kLib, index, "%lu, %u, %s, %d", lba, sectors, SimArg(data, "data"), index);
    if (call.Failed())
        return 0;
    return SimLibWriteMedium(kLib, index, lba, sectors, call.Input(data, sectors * 512u));
}

int VaSychronizeCache10(int index)
{
    SimStubCall call("VaSychronizeCache10", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int VaReady(int index)
{
    SimStubCall call("VaReady", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int VaFunctionTest(int index)
{
    SimStubCall call("VaFunctionTest", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int VaGetMaxTxLen(DWORD* maxLength, int index)
{
    SimStubCall call("VaGetMaxTxLen", kLib, index, "%s, %d", SimArg(maxLength, "out"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibMaxTxLen(kLib, index, maxLength), maxLength, sizeof(DWORD));
}

int VaLLFInit(BYTE arg0, BYTE arg1, int index)
{
    SimStubCall call("VaLLFInit", kLib, index, "%u, %u, %d", arg0, arg1, index);
    return call.Failed() ? 0 : SimLibStartJob(kLib, index, SIM_JOB_LLF_INIT);
}

int VaLLFAll(int index)
{
    SimStubCall call("VaLLFAll", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibStartJob(kLib, index, SIM_JOB_LLF_ALL);
}

int VaLLFResponse(WORD length, BYTE* buffer, int index)
{
    SimStubCall call("VaLLFResponse", kLib, index, "%u, %s, %d", length, SimArg(buffer, "buf"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibJobResponse(kLib, index, length, buffer), buffer, length < 512 ? length : 512);
}

int VaLLFSSDInfo(WORD value, WORD length, BYTE* buffer, int index)
{
    SimStubCall call("VaLLFSSDInfo", kLib, index, "%u, %u, %s, %d", value, length, SimArg(buffer, "buf"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibSsdInfo(kLib, index, length, buffer), buffer, length < 512 ? length : 512);
}

int VaLLFEraseNand(BYTE value, int index)
{
    SimStubCall call("VaLLFEraseNand", kLib, index, "%u, %d", value, index);
    return call.Failed() ? 0 : SimLibStartJob(kLib, index, SIM_JOB_ERASE_NAND);
}

int VaLLFCalibrate(BYTE arg0, BYTE arg1, int index)
{
    SimStubCall call("VaLLFCalibrate", kLib, index, "%u, %u, %d", arg0, arg1, index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int VaLLFExecute(BYTE arg0, BYTE arg1, DWORD arg2, int index)
{
    SimStubCall call("VaLLFExecute", kLib, index, "%u, %u, %lu, %d", arg0, arg1, arg2, index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int VaLLFFWUpdate(int index)
{
    SimStubCall call("VaLLFFWUpdate", kLib, index, "%d", index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int VaLLFODBT(BYTE value, int index)
{
    SimStubCall call("VaLLFODBT", kLib, index, "%u, %d", value, index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int VaLLFReadId(BYTE arg0, BYTE arg1, int index)
{
    SimStubCall call("VaLLFReadId", kLib, index, "%u, %u, %d", arg0, arg1, index);
    return call.Failed() ? 0 : SimLibPlain(kLib, index);
}

int VaSelfTest(BYTE item, BYTE blocks, int index)
{
    SimStubCall call("VaSelfTest", kLib, index, "%u, %u, %d", item, blocks, index);
    return call.Failed() ? 0 : SimLibStartJob(kLib, index, SIM_JOB_SELF_TEST);
}

int VaNandReadID(BYTE arg0, BYTE arg1, BYTE arg2, WORD length, BYTE* buffer, int index)
{
    SimStubCall call("VaNandReadID", kLib, index, "%u, %u, %u, %u, %s, %d", arg0, arg1, arg2, length,
                     SimArg(buffer, "buf"), index);
    if (call.Failed())
        return 0;
    return call.Output(SimLibFlashId(kLib, index, length, buffer), buffer, 8);
}

} // extern "C"
