#pragma once

namespace xkm::config {

// The names of the session variables of ConfigTable, in the order the session
// creates them. Templates and the trace use the names as they are.
inline constexpr const char* kHexFile = "HEXFILE";
inline constexpr const char* kBaudRateTester = "BAUDRATE_TESTER";
inline constexpr const char* kBaudRateEcu = "BAUDRATE_ECU";
inline constexpr const char* kWorkingFolder = "PFADZIELABLAGE";
inline constexpr const char* kContainerFileName = "CNT_FILENAME";
inline constexpr const char* kHexInfoStartAddress = "HEXINFO_STARTADRESS";
inline constexpr const char* kHexInfoStopAddress = "HEXINFO_STOPADRESS";
inline constexpr const char* kA2lFile = "A2LFILE";
inline constexpr const char* kEpkDiff = "EPKDIFF";
inline constexpr const char* kDate = "DATE";
inline constexpr const char* kCpuType = "CPU_TYPE";
inline constexpr const char* kConfigNum = "CONFIG_NUM";
inline constexpr const char* kQsrTemplate = "QSR_TEMPLATE";
inline constexpr const char* kMcsContent = "MCS_CONTENT";
inline constexpr const char* kRawContent = "RAW_CONTENT";
inline constexpr const char* kDatablockCount = "DATABLOCK_COUNT";
inline constexpr const char* kMimConversion = "MIM_CONVERSION_YES_NO";
inline constexpr const char* kQsrAddressInfoTemplate = "QSR_ADRESSINFO_TEMPLATE";
inline constexpr const char* kHexFileShort = "HEXFILESHORT";
inline constexpr const char* kHexFileShortWithoutExtension = "HEXFILESHORT_WITHOUT_EXTENSION";
inline constexpr const char* kOptionsKeyName = "OPTIONS_KEY";
inline constexpr const char* kAddressLayout = "AST";
inline constexpr const char* kBslTemplate = "BSL_TEMPLATE";

}  // namespace xkm::config

// The rows of DataTable that more than one step reads or writes.
namespace xkm::data {
inline constexpr const char* kEcu = "ECU";
inline constexpr const char* kSgidb1 = "SGIDB1";
inline constexpr const char* kSgidb3 = "SGIDB3";
}  // namespace xkm::data
