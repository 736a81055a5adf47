// The built-in default machine: a desktop with two Zarvo drives on the maker's NVMe controllers
// (a "VG" drive on a 6E40 controller and a "VL" drive on a 6E42), a third
// maker controller whose firmware is neither (the scan drops it), and the
// system on a SATA disk behind the chipset's AHCI controller.

#include "SimWorld.h"

const char* const kSimDefaultMachine = R"machine(# Kestrova default machine
machine system-dir="C:\Windows\system32"

# ACPI tables: the PCI Express configuration space begins at 0xE0000000.
firmware ACPI FACP size=276
firmware ACPI APIC size=188
firmware ACPI MCFG mcfg-base=0xE0000000

node root    id="HTREE\ROOT\0" desc="Computer"
node acpi    parent=root id="ACPI_HAL\PNP0C08\0" desc="Microsoft ACPI-Compliant System" service=ACPI
node pci     parent=acpi id="ACPI\PNP0A08\0" desc="PCI Express Root Complex" service=pci
node volmgr  parent=root id="ROOT\VOLMGR\0000" desc="Volume Manager" service=volmgr

# Root ports with the three maker controllers behind them.
node rp1 parent=pci id="PCI\VEN_8086&DEV_A340&SUBSYS_86941043&REV_F0\3&11583659&0&E0" desc="Intel(R) PCI Express Root Port #9 - A340" service=pci compatible="PCI\VEN_8086&DEV_A340&REV_F0|PCI\VEN_8086&DEV_A340|PCI\VEN_8086&CC_060400|PCI\VEN_8086&CC_0604|PCI\VEN_8086|PCI\CC_060400|PCI\CC_0604" bus=0 address=0x1D0000
node rp2 parent=pci id="PCI\VEN_8086&DEV_A338&SUBSYS_86941043&REV_F0\3&11583659&0&E4" desc="Intel(R) PCI Express Root Port #1 - A338" service=pci compatible="PCI\VEN_8086&DEV_A338&REV_F0|PCI\VEN_8086&DEV_A338|PCI\VEN_8086&CC_060400|PCI\VEN_8086&CC_0604|PCI\VEN_8086|PCI\CC_060400|PCI\CC_0604" bus=0 address=0x1C0000
node rp3 parent=pci id="PCI\VEN_8086&DEV_A339&SUBSYS_86941043&REV_F0\3&11583659&0&E1" desc="Intel(R) PCI Express Root Port #2 - A339" service=pci compatible="PCI\VEN_8086&DEV_A339&REV_F0|PCI\VEN_8086&DEV_A339|PCI\VEN_8086&CC_060400|PCI\VEN_8086&CC_0604|PCI\VEN_8086|PCI\CC_060400|PCI\CC_0604" bus=0 address=0x1C0001

node nvme0 parent=rp1 id="PCI\VEN_1F9B&DEV_6E40&SUBSYS_00011F9B&REV_01\4&2A8C3E1B&0&00E8" desc="Standard NVM Express Controller" service=stornvme class=SCSIAdapter mfg="Standard NVM Express Controller" hardware="PCI\VEN_1F9B&DEV_6E40&SUBSYS_00011F9B&REV_01|PCI\VEN_1F9B&DEV_6E40&SUBSYS_00011F9B|PCI\VEN_1F9B&DEV_6E40&CC_010802|PCI\VEN_1F9B&DEV_6E40&CC_0108" compatible="PCI\VEN_1F9B&DEV_6E40&REV_01|PCI\VEN_1F9B&DEV_6E40|PCI\VEN_1F9B&CC_010802|PCI\VEN_1F9B&CC_0108|PCI\VEN_1F9B|PCI\CC_010802|PCI\CC_0108" bus=2 address=0x0
driver nvme0 desc="Standard NVM Express Controller" provider=Microsoft mfg="Standard NVM Express Controller" version=10.0.19041.1741 date=2006-06-21
node disk1 parent=nvme0 id="SCSI\DISK&VEN_NVME&PROD_ZARVO_ZR80E_1TB\5&2F6B3A1&0&000000" desc="Disk drive" friendly="Zarvo ZR80e 1TB" service=disk class=DiskDrive disk=1 smart=nocap

node nvme1 parent=rp2 id="PCI\VEN_1F9B&DEV_6E42&SUBSYS_00021F9B&REV_01\4&1D3F5E77&0&00E0" desc="Standard NVM Express Controller" service=stornvme class=SCSIAdapter mfg="Standard NVM Express Controller" hardware="PCI\VEN_1F9B&DEV_6E42&SUBSYS_00021F9B&REV_01|PCI\VEN_1F9B&DEV_6E42&SUBSYS_00021F9B|PCI\VEN_1F9B&DEV_6E42&CC_010802|PCI\VEN_1F9B&DEV_6E42&CC_0108" compatible="PCI\VEN_1F9B&DEV_6E42&REV_01|PCI\VEN_1F9B&DEV_6E42|PCI\VEN_1F9B&CC_010802|PCI\VEN_1F9B&CC_0108|PCI\VEN_1F9B|PCI\CC_010802|PCI\CC_0108" bus=3 address=0x0
driver nvme1 desc="Standard NVM Express Controller" provider=Microsoft mfg="Standard NVM Express Controller" version=10.0.19041.1741 date=2006-06-21
node disk2 parent=nvme1 id="SCSI\DISK&VEN_NVME&PROD_ZARVO_ZR50E_512GB\5&14C8B2D0&0&000000" desc="Disk drive" friendly="Zarvo ZR50e 512GB" service=disk class=DiskDrive disk=2 smart=nocap

node nvme2 parent=rp3 id="PCI\VEN_1F9B&DEV_6E40&SUBSYS_00031F9B&REV_01\4&3B7A0C42&0&00E1" desc="Standard NVM Express Controller" service=stornvme class=SCSIAdapter mfg="Standard NVM Express Controller" compatible="PCI\VEN_1F9B&DEV_6E40&REV_01|PCI\VEN_1F9B&DEV_6E40|PCI\VEN_1F9B&CC_010802|PCI\VEN_1F9B&CC_0108|PCI\VEN_1F9B|PCI\CC_010802|PCI\CC_0108" bus=4 address=0x0
driver nvme2 desc="Standard NVM Express Controller" provider=Microsoft mfg="Standard NVM Express Controller" version=10.0.19041.1741 date=2006-06-21
node disk3 parent=nvme2 id="SCSI\DISK&VEN_NVME&PROD_OEM_NVME_256GB\5&9E01A7C&0&000000" desc="Disk drive" friendly="OEM NVMe SSD 256GB" service=disk class=DiskDrive disk=3 smart=nocap

# The chipset's SATA controller in AHCI mode with the system disk.
node sata parent=pci id="PCI\VEN_8086&DEV_A352&SUBSYS_86941043&REV_10\3&11583659&0&B8" desc="Standard SATA AHCI Controller" service=storahci class=hdc compatible="PCI\VEN_8086&DEV_A352&REV_10|PCI\VEN_8086&DEV_A352|PCI\VEN_8086&CC_010601|PCI\VEN_8086&CC_0106|PCI\VEN_8086|PCI\CC_010601|PCI\CC_0106" bus=0 address=0x170000
driver sata desc="Standard SATA AHCI Controller" provider=Microsoft mfg="Standard SATA AHCI Controller" version=10.0.19041.1202 date=2006-06-21
node disk0 parent=sata id="SCSI\DISK&VEN_&PROD_ZARVO_ZR30S_480GB\4&2F0E3B1A&0&000000" desc="Disk drive" friendly="Zarvo ZR30s 480GB" service=disk class=DiskDrive disk=0 smart=ata

# Volumes: the system on disk 0, two on the "VG" drive, one on the "VL" drive, one on the third.
node volC parent=volmgr id="STORAGE\VOLUME\{6D1F4A20-0000-0000-0000-100000000000}#0000000000100000" desc="Generic volume" service=volume volume=C on-disk=0 partition=1
node volD parent=volmgr id="STORAGE\VOLUME\{8A2B3C4D-0000-0000-0000-100000000000}#0000000000100000" desc="Generic volume" service=volume volume=D on-disk=1 partition=1
node volE parent=volmgr id="STORAGE\VOLUME\{8A2B3C4D-0000-0000-0000-100000000000}#0000004000100000" desc="Generic volume" service=volume volume=E on-disk=1 partition=2
node volF parent=volmgr id="STORAGE\VOLUME\{5E6F7A8B-0000-0000-0000-100000000000}#0000000000100000" desc="Generic volume" service=volume volume=F on-disk=2 partition=1
node volG parent=volmgr id="STORAGE\VOLUME\{2C3D4E5F-0000-0000-0000-100000000000}#0000000000100000" desc="Generic volume" service=volume volume=G on-disk=3 partition=1

# The maker's drives. NVMe library order: the VG drive (index 0), the VL drive (1), the foreign one (2).
drive bus=nvme controller=nvme0 disk=disk1 serial=ZR80E2203A0017 model="Zarvo ZR80e 1TB" fw=VG1A0203 capacity=1000204886016 write-cache=1 hmb=1 hmb-size=16384 revision=3 flash-id="98 3C 98 B3 76 72 08 04" pcie-gen=4 pcie-lanes=4 switch-reads=1 smart="1:100:100:0:50 5:100:100:0:10 9:100:100:1873 12:100:100:412 171:100:100:0 172:100:100:0 174:100:100:17 194:62:55:38 241:100:100:5120 248:97:97:97:5 253:100:100:120"
drive bus=nvme controller=nvme1 disk=disk2 serial=ZR50E2109B0342 model="Zarvo ZR50e 512GB" fw=VL1B0105 capacity=512110190592 write-cache=1 hmb=1 hmb-size=8192 revision=2 flash-id="2C A4 64 32 AA 04 00 00" pcie-gen=3 pcie-lanes=4 switch-reads=1 smart="1:100:100:0:50 5:100:100:0:10 9:100:100:926 12:100:100:233 174:100:100:6 194:65:58:35 241:100:100:2210 248:99:99:99:5 253:100:100:100"
drive bus=nvme controller=nvme2 disk=disk3 serial=OEM0000000000918 model="OEM NVMe SSD 256GB" fw=ED2R1100 capacity=256060514304 write-cache=0 hmb=0 revision=1 flash-id="45 3C 98 B3 76 E3 00 00" smart="9:100:100:311 12:100:100:90 194:70:60:30"

# The SATA library's drive: the system disk.
drive bus=sata ahci=1 controller=sata disk=disk0 serial=ZR30S1907C0555 model="Zarvo ZR30s 480GB" fw=S0830A version="vx1200 rev B" capacity=480103981056 write-cache=1 sata-speed=3 flash-id="98 3A 98 A3 76 51 08 04" smart="1:100:100:0:50 5:100:100:0:10 9:99:99:5310 12:99:99:1880 194:67:51:33 202:93:93:93:10 241:100:100:14322 248:93:93:93:5"
)machine";
