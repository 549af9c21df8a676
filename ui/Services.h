// SPDX-License-Identifier: MIT
#pragma once

namespace kalvero {

class PrinterCommands;
class RecordFiles;
class WinSer;
struct FileNames;
struct OperatingState;

// What startup owns and the windows share: the port, the operating state, the
// file names and the record operations.
struct Services {
    WinSer& serial;
    OperatingState& state;
    FileNames& files;
    RecordFiles& records;
    PrinterCommands& commands;
};

}  // namespace kalvero
