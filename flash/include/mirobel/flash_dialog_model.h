// The "Flash programming" dialog's settings, toolkit-free: what it reads
// when it opens, the Device list a maker fills, the request Erase and Flash
// take from the controls, and what it writes when it closes.
#pragma once

#include <string>

#include "mirobel/device_table.h"
#include "mirobel/flash_engine.h"
#include "mirobel/flash_files.h"
#include "mirobel/flash_record.h"

namespace mirobel {

class FlashDialogModel {
public:
    // The record and image path from device.ini (defaults for a missing or
    // damaged value), the table from device.cfg, the controls from the
    // record. False when device.cfg cannot be read: the lists stay empty and
    // the dialog shows kNoDeviceConfigText.
    bool Open();

    // A maker chosen: its devices fill the Device list, the first selected.
    void ChooseMaker(int maker);

    const DeviceTable& table() const { return table_; }
    const FlashInfo& record() const { return settings_.record; }
    FlashControls& controls() { return controls_; }
    std::string& imagePath() { return settings_.imagePath; }
    // The selected device's name, or empty.
    std::string Device() const { return table_.DeviceAt(controls_.maker, controls_.device); }

    // Erase's and Flash's request from the controls. False, with the
    // field's name, when a hexadecimal field does not parse.
    bool Request(FlashRequest& request, std::string* badField = nullptr);

    // The dialog closes: the controls are taken once more (a field that
    // does not parse keeps the record's value), word 16 rebuilt from the
    // lists, and both keys written, whether or not anything was programmed.
    bool Close(std::string* error = nullptr);

private:
    FlashSettings settings_;
    DeviceTable table_;
    FlashControls controls_;
};

}  // namespace mirobel
