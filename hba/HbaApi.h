#pragma once
// Our declarations of the SNIA HBA API (version 1) records, entry-point table
// and function types, and of the vendor extension set. Layouts follow the
// standard's documented sizes and offsets; the asserts below pin them.
#include <cstddef>
#include <cstdint>

extern "C" {

typedef uint8_t HBA_UINT8;
typedef uint16_t HBA_UINT16;
typedef uint32_t HBA_UINT32;
typedef int32_t HBA_INT32;
typedef uint64_t HBA_UINT64;
typedef int64_t HBA_INT64;
typedef HBA_UINT32 HBA_HANDLE;
typedef HBA_UINT32 HBA_STATUS;
typedef HBA_UINT32 HBA_PORTTYPE;
typedef HBA_UINT32 HBA_PORTSTATE;
typedef HBA_UINT32 HBA_PORTSPEED;
typedef HBA_UINT32 HBA_COS;
typedef HBA_UINT32 HBA_WWNTYPE;

enum : HBA_STATUS {
  HBA_STATUS_OK = 0,
  HBA_STATUS_ERROR = 1,
  HBA_STATUS_ERROR_NOT_SUPPORTED = 2,
  HBA_STATUS_ERROR_INVALID_HANDLE = 3,
  HBA_STATUS_ERROR_ARG = 4,
  HBA_STATUS_ERROR_ILLEGAL_WWN = 5,
  HBA_STATUS_ERROR_ILLEGAL_INDEX = 6,
  HBA_STATUS_ERROR_MORE_DATA = 7,
  HBA_STATUS_ERROR_STALE_DATA = 8,
  HBA_STATUS_SCSI_CHECK_CONDITION = 9,
  HBA_STATUS_ERROR_BUSY = 10,
  HBA_STATUS_ERROR_TRY_AGAIN = 11,
  HBA_STATUS_ERROR_UNAVAILABLE = 12,
};

enum : HBA_PORTSTATE {
  HBA_PORTSTATE_UNKNOWN = 1,
  HBA_PORTSTATE_ONLINE = 2,
  HBA_PORTSTATE_OFFLINE = 3,
  HBA_PORTSTATE_BYPASSED = 4,
  HBA_PORTSTATE_DIAGNOSTICS = 5,
  HBA_PORTSTATE_LINKDOWN = 6,
  HBA_PORTSTATE_ERROR = 7,
  HBA_PORTSTATE_LOOPBACK = 8,
};

enum : HBA_PORTTYPE {
  HBA_PORTTYPE_UNKNOWN = 1,
  HBA_PORTTYPE_OTHER = 2,
  HBA_PORTTYPE_NOTPRESENT = 3,
  HBA_PORTTYPE_NPORT = 5,
  HBA_PORTTYPE_NLPORT = 6,
  HBA_PORTTYPE_FLPORT = 7,
  HBA_PORTTYPE_FPORT = 8,
  HBA_PORTTYPE_EPORT = 9,
  HBA_PORTTYPE_GPORT = 10,
  HBA_PORTTYPE_LPORT = 20,
  HBA_PORTTYPE_PTP = 21,
};

typedef struct HBA_wwn {
  HBA_UINT8 wwn[8];
} HBA_WWN;

typedef struct HBA_fc4types {
  HBA_UINT8 bits[32];
} HBA_FC4TYPES;

typedef struct HBA_AdapterAttributes {
  char Manufacturer[64];
  char SerialNumber[64];
  char Model[256];
  char ModelDescription[256];
  HBA_WWN NodeWWN;
  char NodeSymbolicName[256];
  char HardwareVersion[256];
  char DriverVersion[256];
  char OptionROMVersion[256];
  char FirmwareVersion[256];
  HBA_UINT32 VendorSpecificID;
  HBA_UINT32 NumberOfPorts;
  char DriverName[256];
} HBA_ADAPTERATTRIBUTES;

typedef struct HBA_PortAttributes {
  HBA_WWN NodeWWN;
  HBA_WWN PortWWN;
  HBA_UINT32 PortFcId;
  HBA_PORTTYPE PortType;
  HBA_PORTSTATE PortState;
  HBA_COS PortSupportedClassofService;
  HBA_FC4TYPES PortSupportedFc4Types;
  HBA_FC4TYPES PortActiveFc4Types;
  char PortSymbolicName[256];
  char OSDeviceName[256];
  HBA_PORTSPEED PortSupportedSpeed;
  HBA_PORTSPEED PortSpeed;
  HBA_UINT32 PortMaxFrameSize;
  HBA_WWN FabricName;
  HBA_UINT32 NumberofDiscoveredPorts;
} HBA_PORTATTRIBUTES;

typedef struct HBA_PortStatistics {
  HBA_INT64 SecondsSinceLastReset;
  HBA_INT64 TxFrames;
  HBA_INT64 TxWords;
  HBA_INT64 RxFrames;
  HBA_INT64 RxWords;
  HBA_INT64 LIPCount;
  HBA_INT64 NOSCount;
  HBA_INT64 ErrorFrames;
  HBA_INT64 DumpedFrames;
  HBA_INT64 LinkFailureCount;
  HBA_INT64 LossOfSyncCount;
  HBA_INT64 LossOfSignalCount;
  HBA_INT64 PrimitiveSeqProtocolErrCount;
  HBA_INT64 InvalidTxWordCount;
  HBA_INT64 InvalidCRCCount;
} HBA_PORTSTATISTICS;

// Records of the dispatch-only entries: passed through by address only.
typedef struct HBA_FCPTargetMapping HBA_FCPTARGETMAPPING;
typedef struct HBA_FCPBinding HBA_FCPBINDING;
typedef struct HBA_EventInfo HBA_EVENTINFO;
typedef struct HBA_MgmtInfo HBA_MGMTINFO;

typedef HBA_UINT32 (*HBAGetVersionFunc)();
typedef HBA_STATUS (*HBALoadLibraryFunc)();
typedef HBA_STATUS (*HBAFreeLibraryFunc)();
typedef HBA_UINT32 (*HBAGetNumberOfAdaptersFunc)();
typedef HBA_STATUS (*HBAGetAdapterNameFunc)(HBA_UINT32 index, char* name);
typedef HBA_HANDLE (*HBAOpenAdapterFunc)(char* name);
typedef void (*HBACloseAdapterFunc)(HBA_HANDLE handle);
typedef HBA_STATUS (*HBAGetAdapterAttributesFunc)(HBA_HANDLE handle, HBA_ADAPTERATTRIBUTES* attributes);
typedef HBA_STATUS (*HBAGetAdapterPortAttributesFunc)(HBA_HANDLE handle, HBA_UINT32 port_index,
                                                      HBA_PORTATTRIBUTES* attributes);
typedef HBA_STATUS (*HBAGetPortStatisticsFunc)(HBA_HANDLE handle, HBA_UINT32 port_index,
                                               HBA_PORTSTATISTICS* statistics);
typedef HBA_STATUS (*HBAGetDiscoveredPortAttributesFunc)(HBA_HANDLE handle, HBA_UINT32 port_index,
                                                         HBA_UINT32 discovered_index,
                                                         HBA_PORTATTRIBUTES* attributes);
typedef HBA_STATUS (*HBAGetPortAttributesByWWNFunc)(HBA_HANDLE handle, HBA_WWN port_wwn,
                                                    HBA_PORTATTRIBUTES* attributes);
typedef HBA_STATUS (*HBASendCTPassThruFunc)(HBA_HANDLE handle, void* request, HBA_UINT32 request_size,
                                            void* response, HBA_UINT32 response_size);
typedef void (*HBARefreshInformationFunc)(HBA_HANDLE handle);
typedef void (*HBAResetStatisticsFunc)(HBA_HANDLE handle, HBA_UINT32 port_index);
typedef HBA_STATUS (*HBAGetFcpTargetMappingFunc)(HBA_HANDLE handle, HBA_FCPTARGETMAPPING* mapping);
typedef HBA_STATUS (*HBAGetFcpPersistentBindingFunc)(HBA_HANDLE handle, HBA_FCPBINDING* binding);
typedef HBA_STATUS (*HBAGetEventBufferFunc)(HBA_HANDLE handle, HBA_EVENTINFO* events, HBA_UINT32* count);
typedef HBA_STATUS (*HBASetRNIDMgmtInfoFunc)(HBA_HANDLE handle, HBA_MGMTINFO* info);
typedef HBA_STATUS (*HBAGetRNIDMgmtInfoFunc)(HBA_HANDLE handle, HBA_MGMTINFO* info);
typedef HBA_STATUS (*HBASendRNIDFunc)(HBA_HANDLE handle, HBA_WWN wwn, HBA_WWNTYPE wwn_type, void* response,
                                      HBA_UINT32* response_size);
typedef HBA_STATUS (*HBASendScsiInquiryFunc)(HBA_HANDLE handle, HBA_WWN port_wwn, HBA_UINT64 fc_lun,
                                             HBA_UINT8 evpd, HBA_UINT32 page_code, void* response,
                                             HBA_UINT32 response_size, void* sense, HBA_UINT32 sense_size);
typedef HBA_STATUS (*HBASendReportLUNsFunc)(HBA_HANDLE handle, HBA_WWN port_wwn, void* response,
                                            HBA_UINT32 response_size, void* sense, HBA_UINT32 sense_size);
typedef HBA_STATUS (*HBASendReadCapacityFunc)(HBA_HANDLE handle, HBA_WWN port_wwn, HBA_UINT64 fc_lun,
                                              void* response, HBA_UINT32 response_size, void* sense,
                                              HBA_UINT32 sense_size);

// The 24-entry table that HBA_RegisterLibrary fills, in the standard's order.
typedef struct HBA_EntryPoints {
  HBAGetVersionFunc GetVersionHandler;
  HBALoadLibraryFunc LoadLibraryHandler;
  HBAFreeLibraryFunc FreeLibraryHandler;
  HBAGetNumberOfAdaptersFunc GetNumberOfAdaptersHandler;
  HBAGetAdapterNameFunc GetAdapterNameHandler;
  HBAOpenAdapterFunc OpenAdapterHandler;
  HBACloseAdapterFunc CloseAdapterHandler;
  HBAGetAdapterAttributesFunc GetAdapterAttributesHandler;
  HBAGetAdapterPortAttributesFunc GetAdapterPortAttributesHandler;
  HBAGetPortStatisticsFunc GetPortStatisticsHandler;
  HBAGetDiscoveredPortAttributesFunc GetDiscoveredPortAttributesHandler;
  HBAGetPortAttributesByWWNFunc GetPortAttributesByWWNHandler;
  HBASendCTPassThruFunc SendCTPassThruHandler;
  HBARefreshInformationFunc RefreshInformationHandler;
  HBAResetStatisticsFunc ResetStatisticsHandler;
  HBAGetFcpTargetMappingFunc GetFcpTargetMappingHandler;
  HBAGetFcpPersistentBindingFunc GetFcpPersistentBindingHandler;
  HBAGetEventBufferFunc GetEventBufferHandler;
  HBASetRNIDMgmtInfoFunc SetRNIDMgmtInfoHandler;
  HBAGetRNIDMgmtInfoFunc GetRNIDMgmtInfoHandler;
  HBASendRNIDFunc SendRNIDHandler;
  HBASendScsiInquiryFunc ScsiInquiryHandler;
  HBASendReportLUNsFunc ReportLUNsHandler;
  HBASendReadCapacityFunc ReadCapacityHandler;
} HBA_ENTRYPOINTS;

typedef HBA_STATUS (*HBARegisterLibraryFunc)(HBA_ENTRYPOINTS* entry_points);

// Vendor extension record: the standard attributes followed by the PCI
// subsystem value and location.
typedef struct ExtendedAdapterAttributes {
  HBA_ADAPTERATTRIBUTES attributes;
  HBA_UINT32 pci_subsystem;  // low 16 bits subsystem vendor, high 16 bits subsystem device
  HBA_UINT8 pci_bus;
  HBA_UINT8 pci_function;
  HBA_UINT8 pci_domain;
  HBA_UINT8 reserved;
} ExtendedAdapterAttributes;

typedef int (*QMXFCLoadLibraryFunc)();
typedef int32_t (*QMXFCGetNumberOfAdaptersFunc)();
typedef int (*QMXFCGetAdapterNameFunc)(HBA_UINT32 index, char* name);  // name: 1024 bytes
typedef HBA_UINT32 (*QMXFCOpenAdapterFunc)(char* name);
typedef int (*QMXFCGetAdapterAttributes2Func)(HBA_UINT32 handle, ExtendedAdapterAttributes* attributes);
typedef void (*QMXFCCloseAdapterFunc)(HBA_UINT32 handle);
typedef int (*QMXFCFreeLibraryFunc)();

}  // extern "C"

static_assert(sizeof(HBA_WWN) == 8, "WWN is 8 bytes");
static_assert(sizeof(HBA_ADAPTERATTRIBUTES) == 2192, "adapter attributes are 2192 bytes");
static_assert(offsetof(HBA_ADAPTERATTRIBUTES, NodeWWN) == 640, "NodeWWN at 640");
static_assert(offsetof(HBA_ADAPTERATTRIBUTES, VendorSpecificID) == 1928, "VendorSpecificID at 1928");
static_assert(offsetof(HBA_ADAPTERATTRIBUTES, DriverName) == 1936, "DriverName at 1936");
static_assert(sizeof(HBA_PORTATTRIBUTES) == 632, "port attributes are 632 bytes");
static_assert(offsetof(HBA_PORTATTRIBUTES, PortSymbolicName) == 96, "PortSymbolicName at 96");
static_assert(offsetof(HBA_PORTATTRIBUTES, FabricName) == 620, "FabricName at 620");
static_assert(sizeof(HBA_PORTSTATISTICS) == 120, "15 counters");
static_assert(sizeof(HBA_ENTRYPOINTS) == 24 * sizeof(void*), "24 entry points");
static_assert(sizeof(ExtendedAdapterAttributes) == 2200, "extended record is 2200 bytes");
static_assert(offsetof(ExtendedAdapterAttributes, pci_subsystem) == 2192, "PCI subsystem at 2192");
static_assert(offsetof(ExtendedAdapterAttributes, pci_bus) == 2196, "bus at 2196");
static_assert(offsetof(ExtendedAdapterAttributes, pci_function) == 2197, "function at 2197");
static_assert(offsetof(ExtendedAdapterAttributes, pci_domain) == 2198, "domain at 2198");
