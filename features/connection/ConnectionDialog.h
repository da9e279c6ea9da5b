// The connection choice (template 144): USB, the network module or a serial
// port, with the serial ports listed for the last. "Link" makes the choice
// the connection kind; choosing the kind in use again is remembered
// (kFlagKindChosenAgain).
#pragma once

#include <QDialog>

#include <string>
#include <vector>

struct SerialPortInfo;
class QComboBox;
class QPushButton;
class QRadioButton;

class CConnectionDialog : public QDialog {
public:
    enum : int { IDC_USB = 1798, IDC_WIFI = 1799, IDC_COM = 1888, IDC_PORTS = 1896, IDC_LINK = 1 };

    explicit CConnectionDialog(QWidget* parent = nullptr);

    // Runs once, when the dialog is first shown: the texts, the kind in use
    // chosen and the ports listed.
    void OnInitDialog();
    void OnInitDialog(const std::vector<SerialPortInfo>& ports);
    // A radio: the kind (1 USB, 2 network, 3 serial); only serial lists ports.
    void OnChooseKind(int kind);
    void OnPortChosen(int index);
    // "Link": the chosen kind becomes the connection kind; the dialog ends.
    void OnLink();

    int ChosenKind() const { return m_Chosen; }
    const std::string& PortName() const { return m_PortName; }
    QRadioButton* Radio(int kind) const;
    QComboBox* Ports() const { return m_Ports; }
    QPushButton* LinkButton() const { return m_Link; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QRadioButton* m_Radios[3] = {};
    QComboBox* m_Ports = nullptr;
    QPushButton* m_Link = nullptr;
    int m_Chosen = 0;
    std::string m_PortName;
    bool m_Initialised = false;
};
