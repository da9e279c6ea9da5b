// The serial-port list of the link's windows (the firmware update and the
// connection choice): the ports the system lists, the one named before
// selected again (or the first port of a USB device, else the first), and
// "NULL" alone when there is none.
#pragma once

#include "features/firmware/SerialPort.h"

#include <string>
#include <vector>

class QComboBox;

// The computer's serial ports; a listing that fails gives none.
std::vector<SerialPortInfo> ListSerialPortsOrNone();

// Fills the box and selects a port; portName is the name looked for and
// becomes the selected entry's text.
void FillSerialPortList(QComboBox& box, const std::vector<SerialPortInfo>& ports,
                        std::string& portName);
