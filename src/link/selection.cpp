#include "link/selection.h"

#include "link/serial_enumeration.h"
#include "link/zenko_usb.h"

namespace krnlink {

void describeRow(SelectionRow& row, const ProbeResult& probe) {
    if (probe.connected && !probe.updateMode) {
        row.name = probe.name;
        row.info = "Protocol: " + std::to_string(probe.protocollo) + "-" +
                   std::to_string(probe.estensioni);
        return;
    }
    if (!row.description.empty()) row.name = "[" + row.description + "]";
    if (probe.connected)
        row.info = "Update mode";
    else
        row.info = probe.protocollo == 0 ? "Communication error" : "";
}

SelectionRow serialRow(const PortaSeriale& p) {
    const std::string dev = "/dev/";
    if (!p.location.empty() && p.location[0] == '/') {
        const bool inDev = p.location.rfind(dev, 0) == 0;
        const std::string device = inDev ? p.location.substr(dev.size()) : p.location;
        return {"Instrument connected to " + device, "COM: " + p.location, "", ""};
    }
    const std::string n = std::to_string(p.Porta);
    return {"Instrument connected to COM" + n, "COM: " + n, "", ""};
}

bool localRow(const SelectionRow& row) {
    return row.sn.rfind("USB:", 0) == 0 || row.sn.rfind("COM:", 0) == 0;
}

void SelectionList::fill(const bool* cancel, const std::function<void()>& rowAdded) {
    rows_.clear();
    std::vector<DispositivoUSB> devices;
    if (usb_ && !options_.SoloSeriali && !options_.SoloEthernet) {
        const std::string filter = options_.TuttiUSB ? "" : options_.SoloUSB ? "QX3" : "QX";
        devices = ElencaDispositiviUSB(*usb_, clock_, filter, cancel);
    }
    std::vector<PortaSeriale> serials;
    if (ports_ && !options_.SoloUSB && !options_.SoloEthernet) {
        CEnumPorts e(*ports_);
        e.CreaElencoSeriali();
        serials = e.elenco();
    }
    for (const DispositivoUSB& d : devices) {
        SelectionRow row{"", "USB: " + d.serialNumber, "", d.description};
        describeRow(row, prober_.probeUsb(d.serialNumber));
        rows_.push_back(std::move(row));
        if (rowAdded) rowAdded();
    }
    for (const PortaSeriale& p : serials) {
        rows_.push_back(serialRow(p));
        if (rowAdded) rowAdded();
    }
}

SelectionResult SelectionList::choose(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return {};
    const SelectionRow& r = rows_[static_cast<std::size_t>(row)];
    const bool usb = r.sn.rfind("USB:", 0) == 0;
    return {r.sn, usb ? r.name : "1000000", true};
}

}  // namespace krnlink
