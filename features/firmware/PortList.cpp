#include "features/firmware/PortList.h"

#include <QComboBox>

namespace {

const char* const kNoPortName = "NULL";

// The combo box's prefix search: from the entry after start, wrapping round.
int FindPrefix(const QComboBox& box, int start, const QString& prefix) {
    const int n = box.count();
    for (int k = 1; k <= n; ++k) {
        const int i = (start + k) % n;
        if (box.itemText(i).startsWith(prefix, Qt::CaseInsensitive)) return i;
    }
    return -1;
}

} // namespace

std::vector<SerialPortInfo> ListSerialPortsOrNone() {
    std::vector<SerialPortInfo> ports;
    try {
        ListSerialPorts(ports, false);
    } catch (const CSerialPortListError&) {
        ports.clear(); // shown as a list without ports
    }
    return ports;
}

void FillSerialPortList(QComboBox& box, const std::vector<SerialPortInfo>& ports,
                        std::string& portName) {
    box.clear();
    if (ports.empty()) {
        box.addItem(QString::fromUtf8(kNoPortName));
        portName = kNoPortName;
        box.setCurrentIndex(0);
        return;
    }
    for (const SerialPortInfo& p : ports)
        if (!p.displayName.empty()) box.addItem(QString::fromStdString(p.displayName));
    const int found = FindPrefix(box, 1, QString::fromStdString(portName));
    if (found >= 0) {
        box.setCurrentIndex(found);
        return;
    }
    for (const SerialPortInfo& p : ports) {
        if (p.usb && !p.displayName.empty()) {
            portName = p.displayName;
            box.setCurrentIndex(box.findText(QString::fromStdString(p.displayName)));
            return;
        }
    }
    box.setCurrentIndex(0);
    portName = box.itemText(0).toStdString();
}
