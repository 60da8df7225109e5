#pragma once

// The numbers the operator sees, in one place. Message ids are the German
// entries of the string table (English at id + kEnglishOffset); the other
// numbers have no entry and travel with their own text. The platform's
// run-time errors (5, 6, 7, 9, 13, 51, 53, 58, 70, 75, 91, 321, 326, 438,
// 3265, 3367, 5017) are named in core/platform/error.h, namespace
// platform_error.
namespace xkm::msg {

// A failure described by its own text: the number a step stops the run with.
inline constexpr int kFailure = 60000;

// Lookups in the library and the A2L file that found nothing.
inline constexpr int kNoEcuInLibrary = 60001;
inline constexpr int kNoAddressLayout = 60006;
inline constexpr int kNoFrequencyLabel = 60007;
inline constexpr int kNoFrequencyInA2l = 60008;
inline constexpr int kNoBaudConfiguration = 60009;
inline constexpr int kNoSystemConstantsInA2l = 60011;
inline constexpr int kNoEcuInA2l = 60012;

// The library file itself.
inline constexpr int kNoOrSeveralLibraries = 60013;
inline constexpr int kLibraryNameMismatch = 60014;
inline constexpr int kLibraryUnparsable = 60015;

// The layout's settings and templates.
inline constexpr int kNoDatablockCount = 60016;
inline constexpr int kNoRawTemplate = 60017;
inline constexpr int kNoQsrTemplate = 60018;
inline constexpr int kNoMcsTemplate = 60024;

// Template work.
inline constexpr int kChecksumLogMissing = 60019;
inline constexpr int kUnknownMcsVariables = 60020;
inline constexpr int kReplaceDataFailed = 60022;
inline constexpr int kInsertFileNotFound = 60028;
inline constexpr int kRawTemplateCorrupt = 60029;
inline constexpr int kUnknownRawVariable = 60030;

// Guards of a run: its working folder, its trace log, its files on disk.
// Their texts carry "{name}" fields the caller fills in.
inline constexpr int kFolderInUse = 60040;
inline constexpr int kTraceNotWritten = 60041;
inline constexpr int kUnencodableCharacter = 60042;
inline constexpr int kWouldTouchInput = 60043;
inline constexpr int kLeftoverNotRemoved = 60044;
inline constexpr int kNoContainerWithoutOrder = 60045;
inline constexpr int kFolderNameBlank = 60047;
inline constexpr int kInputChanged = 60048;
inline constexpr int kFolderNotClaimed = 60049;
inline constexpr int kFolderClaimLost = 60050;
inline constexpr int kNoOrderInLogisticData = 60051;

// Progress reports and questions.
inline constexpr int kReady = 60300;
inline constexpr int kReadingA2l = 60303;
inline constexpr int kBuildingContainer = 60307;
inline constexpr int kOfferUserDataEntry = 60312;
inline constexpr int kReadingLogisticData = 60313;
inline constexpr int kConvertingToBcb = 60314;
inline constexpr int kConvertingToMim = 60315;
inline constexpr int kDeletingWorkingFiles = 60316;

// Malformed library content. These lie outside the message ids, so that the
// operator can tell a broken library from a lookup that found nothing.
inline constexpr int kLibraryMissingAttribute = 62001;
inline constexpr int kLibraryNotANumber = 62002;
inline constexpr int kLibraryDivisorZero = 62003;
inline constexpr int kLibraryConditionWithoutKind = 62004;
inline constexpr int kLibraryConditionColumn = 62005;
inline constexpr int kLibraryMissingTemplate = 62011;
inline constexpr int kLibraryMissingTemplateName = 62012;
inline constexpr int kLibraryMissingTemplateData = 62013;
inline constexpr int kLibraryMissingMimConversion = 62014;
inline constexpr int kLibraryDatablockCountNotANumber = 62015;

// Names from the library that would leave the working folder.
inline constexpr int kContainerNameError = 62101;
inline constexpr int kTemplateFileNameError = 62102;

}  // namespace xkm::msg
