#include "mirobel/flash_dialog_model.h"

namespace mirobel {

bool FlashDialogModel::Open()
{
    settings_ = LoadSettings();
    const bool found = LoadDeviceTable(table_);
    controls_ = ControlsFromRecord(settings_.record);
    return found;
}

void FlashDialogModel::ChooseMaker(int maker)
{
    controls_.maker = maker;
    controls_.device = table_.DevicesOf(maker).empty() ? -1 : 0;
}

bool FlashDialogModel::Request(FlashRequest& request, std::string* badField)
{
    if (!RecordFromControls(controls_, settings_.record, badField))
        return false;
    request.info = settings_.record;
    request.device = Device();
    request.imagePath = settings_.imagePath;
    return true;
}

bool FlashDialogModel::Close(std::string* error)
{
    // Each field on its own: one that does not parse keeps its last value.
    FlashControls fields = ControlsFromRecord(settings_.record);
    fields.maker = controls_.maker;
    fields.device = controls_.device;
    fields.portSize = controls_.portSize;
    for (std::string FlashControls::*field :
         {&FlashControls::flashStart, &FlashControls::flashSize, &FlashControls::flashOffset, &FlashControls::ramStart,
          &FlashControls::ramEnd}) {
        FlashControls trial = fields;
        trial.*field = controls_.*field;
        FlashInfo check = settings_.record;
        if (RecordFromControls(trial, check))
            fields.*field = controls_.*field;
    }
    RecordFromControls(fields, settings_.record);
    return SaveSettings(settings_, error);
}

}  // namespace mirobel
