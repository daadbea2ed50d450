// The run-time's error numbers and the words a report gives for each. An
// error number is one of these, a system error number (0..99: errno), or
// kEndOfFileError.
#pragma once

#include <iterator>

namespace kvb {

constexpr int kEndOfFileError = -1;  // the end of the file, in a statement without an end branch

enum IoError : int {
  kFormatError = 100,            // a format text this run-time cannot read, or more items than its fields
  kIllegalUnit = 101,            // a unit outside 0..99
  kFormattedNotAllowed = 102,    // formatted I/O on a unit opened unformatted (never raised here)
  kUnformattedNotAllowed = 103,  // unformatted I/O on a unit opened formatted (never raised here)
  kDirectNotAllowed = 104,       // direct access on a sequential unit (never raised here)
  kSequentialNotAllowed = 105,   // sequential access on a direct unit (never raised here)
  kCannotBackspace = 106,        // BACKSPACE failed (never raised here)
  kNullFileName = 107,           // OPEN with an all-blank name
  kCannotStat = 108,             // the file's status could not be read (never raised here)
  kUnitNotConnected = 109,       // a statement on a unit that is not open (the same words as kNotConnected)
  kOffEndOfRecord = 110,         // a field past the end of a fixed-length record (never raised here)
  kTruncationFailed = 111,       // the cut after a written file's last record failed at CLOSE
  kBadListInput = 112,           // list-directed input that reads as no value (never raised here)
  kOutOfSpace = 113,             // memory for a name or a record could not be had
  kNotConnected = 114,           // a data-transfer statement on a unit without a file or stream
  kUnexpectedCharacter = 115,    // a numeric field holds a character that may not stand there
  kBadLogical = 116,             // an L field that reads as neither true nor false (never raised here)
  kBadVariableType = 117,        // an item whose type does not fit its edit descriptor
  kBadNamelistName = 118,        // namelist input (never raised here)
  kNotInNamelist = 119,          // namelist input (never raised here)
  kNoEndRecord = 120,            // namelist input (never raised here)
  kVariableCount = 121,          // namelist input (never raised here)
  kScalarSubscript = 122,        // namelist input (never raised here)
  kInvalidSection = 123,         // namelist input (never raised here)
  kSubstringBounds = 124,        // namelist input (never raised here)
  kSubscriptBounds = 125,        // namelist input (never raised here)
  kCannotRead = 126,             // a read the file does not permit (never raised here)
  kCannotWrite = 127,            // the first write to a file opened read-only could not reopen it for update
  kNewFileExists = 128,          // OPEN with status "new" of an existing file (never raised here)
  kCannotAppend = 129,           // positioning at the end failed (never raised here)
  kBadRecordNumber = 130,        // a direct-access record number below 1 (never raised here)
  kRecursion = 131,              // a statement, OPEN or CLOSE begun while a statement is in progress
  kTemporaryName = 132,          // a scratch file's name does not fit (never raised here)
};

// The words of each IoError, by number minus kFormatError.
constexpr const char* kMessages[] = {
    "error in format",                         // kFormatError
    "illegal unit number",                     // kIllegalUnit
    "formatted io not allowed",                // kFormattedNotAllowed
    "unformatted io not allowed",              // kUnformattedNotAllowed
    "direct io not allowed",                   // kDirectNotAllowed
    "sequential io not allowed",               // kSequentialNotAllowed
    "can't backspace file",                    // kCannotBackspace
    "null file name",                          // kNullFileName
    "can't stat file",                         // kCannotStat
    "unit not connected",                      // kUnitNotConnected
    "off end of record",                       // kOffEndOfRecord
    "truncation failed in endfile",            // kTruncationFailed
    "incomprehensible list input",             // kBadListInput
    "out of free space",                       // kOutOfSpace
    "unit not connected",                      // kNotConnected
    "read unexpected character",               // kUnexpectedCharacter
    "bad logical input field",                 // kBadLogical
    "bad variable type",                       // kBadVariableType
    "bad namelist name",                       // kBadNamelistName
    "variable not in namelist",                // kNotInNamelist
    "no end record",                           // kNoEndRecord
    "variable count incorrect",                // kVariableCount
    "subscript for scalar variable",           // kScalarSubscript
    "invalid array section",                   // kInvalidSection
    "substring out of bounds",                 // kSubstringBounds
    "subscript out of bounds",                 // kSubscriptBounds
    "can't read file",                         // kCannotRead
    "can't write file",                        // kCannotWrite
    "'new' file exists",                       // kNewFileExists
    "can't append to file",                    // kCannotAppend
    "non-positive record number",              // kBadRecordNumber
    "I/O started while already doing I/O",     // kRecursion
    "Temporary file name (TMPDIR?) too long",  // kTemporaryName
};
constexpr int kLastIoError = kFormatError + static_cast<int>(std::size(kMessages)) - 1;
static_assert(kLastIoError == kTemporaryName);

// The run-time's own refusal, numbered apart from the table (its neighbours
// stay illegal numbers): an OPEN to write a file that the run has read.
constexpr int kInputFile = 200;
constexpr const char* kInputFileMessage = "can't overwrite input file";

}  // namespace kvb
